#pragma once
// The Launcher's own forms, pictures and strings, compiled into the program
// (the Launcher has no separate resource file). Everything lives below
// ":/TarvolinLauncher", laid out as the Monitor's resource library is:
//   forms/<template id>.ui   Designer forms; a control is the widget named "ctl<control id>"
//   bitmaps/<id>.png         the buttons' pictures and the list's picture (147)
//   icon/128.png, icon/128_256.png   the program's icon, small and large
//   strings/0409.txt         the English string table, one "id=text" a line
//
// The resources belong to the GUI thread.

#include <QIcon>
#include <QImage>
#include <QString>
#include <QWidget>

class CLauncherResources {
public:
    static constexpr const char* kRoot = ":/TarvolinLauncher";

    CLauncherResources() = delete;

    // Registers the compiled-in resources and makes the image buttons take
    // their pictures and tool tips from them. Repeated calls do nothing.
    static void Initialize();

    // A string-table entry; empty for an id the table does not hold.
    static QString String(int id);
    // A picture; null for an id without one.
    static QImage Bitmap(int id);
    static QIcon AppIcon();
    // Builds form `templateId` with its layout, parented to `parent`; null
    // when there is no such form.
    static QWidget* LoadForm(int templateId, QWidget* parent);
};
