#pragma once
// The Monitor's resource library: the forms, pictures and string table of
// the binary resource file installed beside the program. The dialogs, the
// Analyzer and the Launcher load their forms through it as well.
//
// Inside the file everything lives below ":/QuillonRes0409":
//   forms/<template id>.ui   Designer forms; a control is the widget named
//                            "ctl<control id>"
//   bitmaps/<id>.png         button pictures
//   icon/128.png, icon/128_256.png   the application icon, small and large
//   strings/0409.txt         the English string table, one "id=text" a line
//
// Image buttons in the forms carry the dynamic properties "bitmapId" and
// "toolTipId" (uint) naming their picture and tool-tip string.
//
// The library is process-wide state and belongs to the GUI thread: calls
// from any other thread fail (false, empty or null) with a warning.

#include <QIcon>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

class CResourceLibrary {
public:
    static constexpr const char* kFileName = "QuillonRes0409.rcc";
    // Where the file's contents appear in Qt's resource system.
    static constexpr const char* kRoot = ":/QuillonRes0409";

    using WidgetFactory = std::function<QWidget*(QWidget* parent)>;

    CResourceLibrary() = delete;

    // Registers the resource file. True when it is (or already was) loaded;
    // false when it is missing or not a resource file, in which case a
    // library that was loaded before stays loaded.
    static bool Load(const QString& path);
    // Uses the library compiled into the program itself under kRoot (a
    // program that carries its own copy of the forms it needs, such as the
    // Analyzer). True when the program holds it; LoadedPath() is then kRoot.
    static bool LoadBuiltIn();
    // The resource file beside the program.
    static QString DefaultPath();
    static bool IsLoaded();
    // The path given to the successful Load, empty before.
    static QString LoadedPath();

    // A string-table entry; empty for an id the table does not hold.
    static QString String(int id);
    // A picture; null for an id without a picture.
    static QImage Bitmap(int id);
    static QIcon AppIcon();

    // Makes forms create widgets of `className` with `factory`, ahead of the
    // classes the form loader knows itself. A later registration of the same
    // name replaces the earlier one. The chart, CiPlotXControl, is registered from the start.
    static void RegisterWidgetClass(const QString& className, WidgetFactory factory);

    // Builds form `templateId` with its layout; the top widget is parented
    // to `parent`, ready to be placed in its layout. Null when the
    // library is not loaded or has no such form.
    static QWidget* LoadForm(int templateId, QWidget* parent);

    static QString ControlName(int id) { return QStringLiteral("ctl%1").arg(id); }

    // Control `id` of a form (the form itself when it carries the name),
    // null when absent or of another type.
    template <class T> static T* Control(QWidget* form, int id)
    {
        if (form == nullptr) {
            return nullptr;
        }
        const QString name = ControlName(id);
        if (form->objectName() == name) {
            return qobject_cast<T*>(form);
        }
        return form->findChild<T*>(name);
    }
};
