// The resource library: loading the file, the string table, the pictures and
// the forms with the controls and texts the Monitor relies on.
#include "ResourceLibrary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include "iPlotXControl.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace {

// Stands in for the controls library's image button, which the Monitor
// registers under the same class name.
class CImageButtonStandIn : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

const int kForms[] = {102, 129, 134, 167, 1000, 1009, 157, 159, 160, 162, 166};

struct ImageButtonRow
{
    int form;
    int control;
    unsigned bitmap;
    unsigned toolTip;  // 0: the button has no tool tip
    const char* label; // caption under the button, when it has one
};

const ImageButtonRow kImageButtons[] = {
    {134, 1027, 143, 107, "Open Config"},
    {134, 1008, 150, 108, "Save Config"},
    {134, 1010, 148, 109, "Print"},
    {134, 1013, 147, 110, "Gate Params"},
    {134, 1012, 144, 111, "Board Params"},
    {134, 1015, 145, 112, "Timed Events"},
    {134, 1029, 165, 119, "Data Settings"},
    {134, 1025, 149, 118, "View Run Log"},
    {134, 1016, 163, 113, "Reset to Ready"},
    {134, 1042, 1011, 122, "Zoom out"},
    {134, 1043, 1012, 123, "Zoom to Fit"},
    {134, 1019, 1006, 121, "About"},
    {129, 1002, 130, 102, nullptr},
    {129, 1003, 131, 104, nullptr},
    {129, 1004, 132, 103, nullptr},
    {167, 1058, 1013, 124, nullptr},
    {167, 1059, 1014, 125, nullptr},
};

std::unique_ptr<QWidget> Form(int templateId)
{
    return std::unique_ptr<QWidget>(CResourceLibrary::LoadForm(templateId, nullptr));
}

// Lays a form out at `size` without showing it. A hidden widget defers its
// resize events, so each layout is driven directly, outer ones first.
void LayOut(QWidget* form, QSize size)
{
    form->resize(size);
    form->layout()->setGeometry(form->rect());
    for (QWidget* child : form->findChildren<QWidget*>()) {
        if (child->layout() != nullptr)
            child->layout()->setGeometry(child->rect());
    }
}

QRect GeometryIn(const QWidget* form, const QWidget* child)
{
    return QRect(child->mapTo(form, QPoint(0, 0)), child->size());
}

} // namespace

class TestResourceLibrary : public QObject
{
    Q_OBJECT
private slots:
    // Runs first: nothing is loaded yet.
    void withoutFileNothingIsAvailable()
    {
        QVERIFY(!CResourceLibrary::IsLoaded());
        QVERIFY(!CResourceLibrary::Load(QStringLiteral("/nonexistent/QuillonRes0409.rcc")));
        QVERIFY(!CResourceLibrary::IsLoaded());
        QVERIFY(CResourceLibrary::String(102).isEmpty());
        QVERIFY(CResourceLibrary::Bitmap(143).isNull());
        QVERIFY(CResourceLibrary::AppIcon().isNull());
        QCOMPARE(CResourceLibrary::LoadForm(102, nullptr), nullptr);
    }

    void filesThatAreNotTheLibraryAreRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("102=Close\n");
        QTest::newRow("resource magic, nothing behind it") << QByteArray("qres\0\0\0\3", 8);
    }
    void filesThatAreNotTheLibraryAreRefused()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        QFile file(dir.filePath(CResourceLibrary::kFileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QVERIFY(!CResourceLibrary::Load(file.fileName()));
        QVERIFY(!CResourceLibrary::IsLoaded());
        QVERIFY(!CResourceLibrary::Load(dir.path()));
    }

    void theDefaultPathIsBesideTheProgram()
    {
        QCOMPARE(QFileInfo(CResourceLibrary::DefaultPath()).absolutePath(),
                 QCoreApplication::applicationDirPath());
        QCOMPARE(QFileInfo(CResourceLibrary::DefaultPath()).fileName(), QString("QuillonRes0409.rcc"));
    }

    void theBuiltFileLoadsOnceAndStaysLoaded()
    {
        QVERIFY(CResourceLibrary::Load(TARVOLIN_RESOURCE_FILE));
        QVERIFY(CResourceLibrary::IsLoaded());
        QVERIFY(CResourceLibrary::Load(TARVOLIN_RESOURCE_FILE));
        QCOMPARE(CResourceLibrary::LoadedPath(), QFileInfo(TARVOLIN_RESOURCE_FILE).canonicalFilePath());
        // A failed load leaves the loaded library in place.
        QVERIFY(!CResourceLibrary::Load(QStringLiteral("/nonexistent/QuillonRes0409.rcc")));
        QVERIFY(CResourceLibrary::IsLoaded());
        QCOMPARE(CResourceLibrary::String(102), QString("Close"));
    }

    void stringTable_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("102") << 102 << "Close";
        QTest::newRow("103") << 103 << "Minimize";
        QTest::newRow("104") << 104 << "Maximize";
        QTest::newRow("105 keeps its leading blank") << 105 << " Tarvolin Monitor";
        QTest::newRow("107") << 107 << "Open";
        QTest::newRow("108") << 108 << "Save";
        QTest::newRow("109") << 109 << "Print";
        QTest::newRow("110") << 110 << "Gate";
        QTest::newRow("111") << 111 << "Boards";
        QTest::newRow("112") << 112 << "Event";
        QTest::newRow("113") << 113 << "Reset to Ready";
        QTest::newRow("118") << 118 << "Log";
        QTest::newRow("119") << 119 << "Record";
        QTest::newRow("121") << 121 << "About";
        QTest::newRow("122") << 122 << "Zoom out";
        QTest::newRow("123") << 123 << "Zoom out Fit";
        QTest::newRow("124") << 124 << "Start recording (Ctrl+R)";
        QTest::newRow("125") << 125 << "Stop recording (Ctrl+S)";
        QTest::newRow("126") << 126 << "Restore";
        QTest::newRow("a gap in the table") << 106 << "";
        QTest::newRow("zero") << 0 << "";
        QTest::newRow("negative") << -102 << "";
    }
    void stringTable()
    {
        QFETCH(int, id);
        QFETCH(QString, text);
        QCOMPARE(CResourceLibrary::String(id), text);
    }

    void pictures()
    {
        QSet<unsigned> wanted;
        for (const ImageButtonRow& row : kImageButtons)
            wanted.insert(row.bitmap);
        for (unsigned id : wanted) {
            const QImage image = CResourceLibrary::Bitmap(int(id));
            QVERIFY2(!image.isNull(), qPrintable(QString("bitmap %1").arg(id)));
            QCOMPARE(image.size(), QSize(48, 48));
            QVERIFY(image.hasAlphaChannel());
            // Drawn on a transparent ground, with a visible glyph and none of
            // the image button's key colour, which would punch holes in it.
            const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(qAlpha(argb.pixel(0, 0)), 0);
            int visible = 0;
            for (int y = 0; y < argb.height(); ++y)
                for (int x = 0; x < argb.width(); ++x) {
                    const QRgb p = argb.pixel(x, y);
                    visible += qAlpha(p) > 128;
                    QVERIFY(qAlpha(p) == 0 || (p & RGB_MASK) != 0xFF00FF);
                }
            QVERIFY2(visible > 40, qPrintable(QString("bitmap %1 is nearly empty").arg(id)));
        }
        QVERIFY(CResourceLibrary::Bitmap(1).isNull());
    }

    void appIconHasASmallAndALargeSize()
    {
        const QIcon icon = CResourceLibrary::AppIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(256, 256)));
        QVERIFY(icon.availableSizes().contains(QSize(48, 48)));
    }

    void everyFormLoadsWithItsLayoutUnderTheParent()
    {
        QWidget parent;
        for (int id : kForms) {
            QWidget* form = CResourceLibrary::LoadForm(id, &parent);
            QVERIFY2(form, qPrintable(QString("form %1").arg(id)));
            QCOMPARE(form->parentWidget(), &parent);
            QVERIFY(!form->isWindow());
            QVERIFY(form->layout());
        }
        QCOMPARE(CResourceLibrary::LoadForm(999, &parent), nullptr);
    }

    // Until the Monitor registers its image button, forms still load: the
    // loader falls back to the base class and keeps the properties.
    void unregisteredImageButtonsFallBackToPlainWidgets()
    {
        CResourceLibrary::RegisterWidgetClass("CImageButton", nullptr);
        const auto form = Form(134);
        QWidget* button = CResourceLibrary::Control<QWidget>(form.get(), 1027);
        QVERIFY(button);
        QCOMPARE(button->metaObject(), &QWidget::staticMetaObject);
        QCOMPARE(button->property("bitmapId").toUInt(), 143u);
    }

    void imageButtons_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("control");
        QTest::addColumn<uint>("bitmap");
        QTest::addColumn<uint>("toolTip");
        QTest::addColumn<QString>("label");
        for (const ImageButtonRow& row : kImageButtons)
            QTest::addRow("%d/%d", row.form, row.control)
                << row.form << row.control << row.bitmap << row.toolTip << QString(row.label);
    }
    void imageButtons()
    {
        QFETCH(int, form);
        QFETCH(int, control);
        QFETCH(uint, bitmap);
        QFETCH(uint, toolTip);
        QFETCH(QString, label);
        CResourceLibrary::RegisterWidgetClass(
            "CImageButton", [](QWidget* parent) { return new CImageButtonStandIn(parent); });
        const auto widget = Form(form);
        auto* button = CResourceLibrary::Control<CImageButtonStandIn>(widget.get(), control);
        QVERIFY(button);
        QCOMPARE(button->property("bitmapId").metaType(), QMetaType::fromType<uint>());
        QCOMPARE(button->property("bitmapId").toUInt(), bitmap);
        QCOMPARE(button->property("toolTipId").toUInt(), toolTip);
        if (toolTip != 0)
            QVERIFY(!CResourceLibrary::String(int(toolTip)).isEmpty());
        if (!label.isEmpty()) {
            auto* caption = widget->findChild<QLabel*>(QStringLiteral("lbl%1").arg(control));
            QVERIFY(caption);
            QCOMPARE(caption->text(), label);
            LayOut(widget.get(), QSize(1200, 90));
            // The caption sits under its button.
            const QRect b = GeometryIn(widget.get(), button);
            const QRect c = GeometryIn(widget.get(), caption);
            QVERIFY(c.top() >= b.bottom());
            QVERIFY(c.left() <= b.center().x() && b.center().x() <= c.right());
        }
    }

    void everyImageButtonIsListed()
    {
        for (int id : kForms) {
            const auto form = Form(id);
            for (const auto* button : form->findChildren<CImageButtonStandIn*>()) {
                const bool listed = std::any_of(std::begin(kImageButtons), std::end(kImageButtons),
                                                [&](const ImageButtonRow& row) {
                                                    return row.form == id &&
                                                           CResourceLibrary::ControlName(row.control) ==
                                                               button->objectName();
                                                });
                QVERIFY2(listed, qPrintable(button->objectName()));
            }
        }
    }

    void toolbarButtonsRunInTableOrder()
    {
        const auto form = Form(134);
        LayOut(form.get(), QSize(1200, 90));
        int previous = -1;
        for (const ImageButtonRow& row : kImageButtons) {
            if (row.form != 134)
                continue;
            const int x = GeometryIn(form.get(), CResourceLibrary::Control<QWidget>(form.get(), row.control)).x();
            QVERIFY2(x > previous, qPrintable(QString::number(row.control)));
            previous = x;
        }
    }

    void titleBarKeepsCloseMaximiseMinimiseFromTheRightEdge()
    {
        const auto form = Form(129);
        QCOMPARE(CResourceLibrary::Control<QLabel>(form.get(), 1000)->text(), QString(" Tarvolin Monitor"));
        QVERIFY(CResourceLibrary::Control<QLabel>(form.get(), 1074));
        for (int width : {500, 1400}) {
            LayOut(form.get(), QSize(width, 48));
            const QRect close = GeometryIn(form.get(), CResourceLibrary::Control<QWidget>(form.get(), 1002));
            const QRect maximise = GeometryIn(form.get(), CResourceLibrary::Control<QWidget>(form.get(), 1003));
            const QRect minimise = GeometryIn(form.get(), CResourceLibrary::Control<QWidget>(form.get(), 1004));
            QVERIFY2(width - close.right() < 16, qPrintable(QString("%1 %2").arg(width).arg(close.right())));
            QVERIFY(maximise.right() < close.left());
            QVERIFY(minimise.right() < maximise.left());
        }
    }

    void labelTexts_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("elapsed") << 102 << "ctl1040" << "Elapsed Time:";
        QTest::newRow("status") << 102 << "ctl1062" << "Status:";
        QTest::newRow("recording") << 102 << "ctl1064" << "Recording:";
        QTest::newRow("record file") << 102 << "ctl1070" << "Record File:";
        QTest::newRow("written") << 102 << "ctl1066" << "Written:";
        QTest::newRow("directory") << 166 << "lbl1082" << "Directory:";
        QTest::newRow("file name") << 166 << "lbl1040" << "File Name:";
        QTest::newRow("extension") << 166 << "ctl1078" << ".KLYN";
        QTest::newRow("live frequency") << 167 << "lbl1046" << "Frequency:";
        QTest::newRow("reference 1 frequency") << 167 << "lbl1047" << "Frequency:";
        QTest::newRow("reference 2 frequency") << 167 << "lbl1048" << "Frequency:";
        QTest::newRow("ST") << 1009 << "lbl1032" << "ST:";
        QTest::newRow("ERR") << 1009 << "lbl1040" << "ERR:";
        QTest::newRow("CH 1") << 1009 << "lbl1005" << "CH 1:";
        QTest::newRow("CH 2") << 1009 << "lbl1035" << "CH 2:";
        QTest::newRow("TD") << 1009 << "lbl1036" << "TD:";
        QTest::newRow("DC") << 1009 << "lbl1037" << "DC:";
        QTest::newRow("PCA") << 1009 << "lbl1029" << "PCA Revision:";
        QTest::newRow("FW") << 1009 << "lbl1030" << "FW Revision:";
    }
    void labelTexts()
    {
        QFETCH(int, form);
        QFETCH(QString, name);
        QFETCH(QString, text);
        const auto widget = Form(form);
        auto* label = widget->findChild<QLabel*>(name);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
    }

    // Each label stands left of its value on the same line.
    void statusLinesPairLabelsWithValues()
    {
        const auto form = Form(102);
        LayOut(form.get(), QSize(400, 130));
        const int pairs[][2] = {{1040, 1041}, {1062, 1063}, {1064, 1065}, {1070, 1069},
                                {1066, 1068}};
        int previousTop = -1;
        for (const auto& pair : pairs) {
            const QRect label = GeometryIn(form.get(), CResourceLibrary::Control<QLabel>(form.get(), pair[0]));
            const QRect value = GeometryIn(form.get(), CResourceLibrary::Control<QLabel>(form.get(), pair[1]));
            QCOMPARE(value.center().y(), label.center().y());
            QVERIFY(value.left() > label.right());
            QVERIFY(label.top() > previousTop);
            previousTop = label.top();
        }
    }

    void currentDataBar_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("hold");
        QTest::addColumn<int>("clear");
        QTest::newRow("live") << "grpCurrentData" << "Current Data" << 1046 << QColor(213, 94, 0) << 0 << 0;
        QTest::newRow("reference 1") << "grpReference1" << "Reference 1" << 1047 << QColor(0, 114, 178) << 1049
                                     << 1050;
        QTest::newRow("reference 2") << "grpReference2" << "Reference 2" << 1048 << QColor(0, 158, 115) << 1051
                                     << 1052;
    }
    void currentDataBar()
    {
        QFETCH(QString, group);
        QFETCH(QString, caption);
        QFETCH(int, frequency);
        QFETCH(QColor, colour);
        QFETCH(int, hold);
        QFETCH(int, clear);
        const auto form = Form(167);
        auto* box = form->findChild<QGroupBox*>(group);
        QVERIFY(box);
        QCOMPARE(box->title(), caption);
        auto* field = CResourceLibrary::Control<QLabel>(form.get(), frequency);
        QVERIFY(field);
        QVERIFY(box->isAncestorOf(field));
        field->ensurePolished();
        QVERIFY(field->font().bold());
        QCOMPARE(field->palette().color(QPalette::WindowText), colour);
        if (hold != 0) {
            auto* holdButton = CResourceLibrary::Control<QPushButton>(form.get(), hold);
            auto* clearButton = CResourceLibrary::Control<QPushButton>(form.get(), clear);
            QVERIFY(holdButton && clearButton);
            QCOMPARE(holdButton->text(), QString("Hold"));
            QCOMPARE(clearButton->text(), QString("Clear"));
            QVERIFY(box->isAncestorOf(holdButton) && box->isAncestorOf(clearButton));
        }
    }

    void plotFillsItsForm()
    {
        const auto form = Form(1000);
        auto* plot = CResourceLibrary::Control<CiPlotXControl>(form.get(), 1001);
        QVERIFY(plot);
        for (QSize size : {QSize(640, 360), QSize(1280, 700)}) {
            LayOut(form.get(), size);
            QCOMPARE(plot->geometry(), form->rect());
        }
    }

    // Every control the dialogs reach by id, of the kind they expect, with its caption.
    void dialogControls_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        const struct {
            int form, control;
            const char* kind;
            const char* text;
        } rows[] = {
            {157, 1085, "list", ""}, {157, 1029, "combo", ""}, {157, 1032, "edit", ""}, {157, 1025, "edit", ""},
            {157, 1030, "combo", ""}, {157, 1031, "edit", ""}, {157, 1026, "edit", ""}, {157, 1027, "edit", ""},
            {157, 1028, "check", "Enable Sqrt"}, {157, 1033, "label", "A - 0.000B"}, {157, 1087, "button", "Change"},
            {157, 1, "button", "OK"}, {157, 2, "button", "Cancel"}, {157, 1088, "button", "Export AIA..."},
            {159, 1001, "edit", ""}, {159, 1003, "edit", ""}, {159, 1006, "edit", ""},
            {159, 1009, "combo", ""}, {159, 1010, "combo", ""}, {159, 1011, "combo", ""}, {159, 1013, "edit", ""},
            {159, 1012, "button", "Zero"}, {159, 1015, "button", "Set"},
            {159, 1016, "combo", ""}, {159, 1017, "combo", ""}, {159, 1018, "combo", ""}, {159, 1021, "edit", ""},
            {159, 1019, "button", "Zero"}, {159, 1020, "button", "Set"},
            {159, 1023, "button", "Apply"}, {159, 1026, "button", "OK"}, {159, 2, "button", "Cancel"},
            {160, 1023, "list", ""}, {160, 1024, "edit", ""}, {160, 1028, "combo", ""}, {160, 1027, "combo", ""},
            {160, 1071, "combo", ""}, {160, 1072, "edit", ""}, {160, 1073, "label", "A"}, {160, 1005, "edit", ""},
            {160, 4, "button", "Add"}, {160, 5, "button", "Change"}, {160, 6, "button", "Delete"},
            {160, 1, "button", "OK"}, {160, 2, "button", "Cancel"},
            {162, 1036, "list", ""}, {162, 1037, "button", "Clea&r"}, {162, 1041, "button", "&Save As..."},
            {162, 1038, "button", "&Print..."}, {162, 1, "button", "OK"}, {162, 2, "button", "Cancel"},
            {166, 1082, "edit", ""}, {166, 1083, "button", "Browse…"}, {166, 1040, "edit", ""},
            {166, 1080, "edit", ""}, {166, 1061, "arrows", ""}, {166, 1078, "label", ".KLYN"},
            {166, 1060, "button", "OK"},
        };
        for (const auto& r : rows)
            QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(r.form).arg(r.control)))
                << r.form << r.control << QString(r.kind) << QString(r.text);
    }

    void dialogControls()
    {
        QFETCH(int, form);
        QFETCH(int, control);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        const auto widget = Form(form);
        QVERIFY(widget);
        if (kind == "list") {
            QVERIFY(CResourceLibrary::Control<QListWidget>(widget.get(), control));
        } else if (kind == "combo") {
            QVERIFY(CResourceLibrary::Control<QComboBox>(widget.get(), control));
        } else if (kind == "edit") {
            QVERIFY(CResourceLibrary::Control<QLineEdit>(widget.get(), control));
        } else if (kind == "arrows") {
            QVERIFY(CResourceLibrary::Control<QScrollBar>(widget.get(), control));
        } else if (kind == "check") {
            auto* check = CResourceLibrary::Control<QCheckBox>(widget.get(), control);
            QVERIFY(check);
            QCOMPARE(check->text(), text);
        } else if (kind == "label") {
            auto* label = CResourceLibrary::Control<QLabel>(widget.get(), control);
            QVERIFY(label);
            QCOMPARE(label->text(), text);
        } else {
            auto* button = CResourceLibrary::Control<QPushButton>(widget.get(), control);
            QVERIFY(button);
            QCOMPARE(button->text(), text);
        }
    }

    void dialogTitles()
    {
        QCOMPARE(Form(157)->windowTitle(), QString("Gate Parameters"));
        QCOMPARE(Form(159)->windowTitle(), QString("Board / Channel Parameters"));
        QCOMPARE(Form(160)->windowTitle(), QString("Timed Events"));
        QCOMPARE(Form(162)->windowTitle(), QString("Run Log"));
        QCOMPARE(Form(166)->windowTitle(), QString("Data Settings"));
        QCOMPARE(Form(166)->findChild<QGroupBox*>("grpDataFile")->title(),
                 QString("Data File Information"));
    }

    void aboutDialog()
    {
        const auto form = Form(1009);
        QCOMPARE(form->windowTitle(), QString("About Tarvolin Monitor"));
        for (int id : {1032, 1040, 1005, 1035, 1036, 1037}) {
            auto* edit = CResourceLibrary::Control<QLineEdit>(form.get(), id);
            QVERIFY2(edit, qPrintable(QString::number(id)));
            QVERIFY(edit->isReadOnly());
        }
        for (int id : {1029, 1030})
            QVERIFY(CResourceLibrary::Control<QLabel>(form.get(), id));
        QCOMPARE(form->findChildren<QPushButton*>().size(), 1);
        QVERIFY(!CResourceLibrary::Control<QLabel>(form.get(), 1)); // the button is no label
        QVERIFY(CResourceLibrary::Control<QPushButton>(form.get(), 1));
        QVERIFY(!form->findChild<QLabel*>("aboutIcon")->pixmap().isNull());
    }

    void controlFindsTheFormItself()
    {
        QWidget form;
        form.setObjectName(CResourceLibrary::ControlName(7));
        QCOMPARE(CResourceLibrary::Control<QWidget>(&form, 7), &form);
        QCOMPARE(CResourceLibrary::Control<QLabel>(&form, 7), nullptr);
        QCOMPARE(CResourceLibrary::Control<QWidget>(nullptr, 7), nullptr);
    }

    void otherThreadsAreRefused()
    {
        QString text = QStringLiteral("untouched");
        bool loaded = true;
        QWidget* form = reinterpret_cast<QWidget*>(1);
        std::thread worker([&] {
            text = CResourceLibrary::String(102);
            loaded = CResourceLibrary::Load(TARVOLIN_RESOURCE_FILE);
            form = CResourceLibrary::LoadForm(102, nullptr);
        });
        worker.join();
        QVERIFY(text.isEmpty());
        QVERIFY(!loaded);
        QCOMPARE(form, nullptr);
        QCOMPARE(CResourceLibrary::String(102), QString("Close"));
    }
};

QTEST_MAIN(TestResourceLibrary)
#include "tst_resourcelibrary.moc"
