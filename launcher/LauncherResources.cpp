#include "LauncherResources.h"

#include "ConnectionsListCtrl.h"
#include "ImageButton.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QUiLoader>

// Outside any namespace, as the resource compiler's initialiser must be.
static void InitLauncherResources()
{
    Q_INIT_RESOURCE(TarvolinLauncher);
}

namespace {

QString Root()
{
    return QString::fromLatin1(CLauncherResources::kRoot);
}

// "id=text" lines; "#" starts a comment line; only "\n" and "\\" are escapes.
QHash<int, QString> ReadStrings()
{
    QHash<int, QString> table;
    QFile file(Root() + QStringLiteral("/strings/0409.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return table;
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        bool isNumber = false;
        const int id = equals > 0 ? line.left(equals).trimmed().toInt(&isNumber) : 0;
        if (!isNumber)
            continue;
        QString text = QString::fromUtf8(line.mid(equals + 1));
        text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        text.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        table.insert(id, text);
    }
    return table;
}

const QHash<int, QString>& Strings()
{
    static const QHash<int, QString> table = ReadStrings();
    return table;
}

class CLauncherFormLoader : public QUiLoader {
public:
    CLauncherFormLoader()
    {
        // Designer plugins installed on the machine must not change a form.
        clearPluginPaths();
    }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        QWidget* widget = nullptr;
        if (className == QLatin1String("CImageButton"))
            widget = new CImageButton(parent);
        else if (className == QLatin1String("CConnectionsListCtrl"))
            widget = new CConnectionsListCtrl(parent);
        if (widget == nullptr)
            return QUiLoader::createWidget(className, parent, name);
        widget->setObjectName(name);
        return widget;
    }
};

} // namespace

void CLauncherResources::Initialize()
{
    static bool initialized = false;
    if (initialized)
        return;
    initialized = true;
    InitLauncherResources();
    CImageButton::SetImageProvider([](unsigned id) { return Bitmap(static_cast<int>(id)); });
    CImageButton::SetStringProvider([](unsigned id) { return String(static_cast<int>(id)); });
}

QString CLauncherResources::String(int id)
{
    return Strings().value(id);
}

QImage CLauncherResources::Bitmap(int id)
{
    return QImage(Root() + QStringLiteral("/bitmaps/%1.png").arg(id));
}

QIcon CLauncherResources::AppIcon()
{
    QIcon icon;
    icon.addFile(Root() + QStringLiteral("/icon/128.png"));
    icon.addFile(Root() + QStringLiteral("/icon/128_256.png"));
    return icon;
}

QWidget* CLauncherResources::LoadForm(int templateId, QWidget* parent)
{
    QFile file(Root() + QStringLiteral("/forms/%1.ui").arg(templateId));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("CLauncherResources: no form %d", templateId);
        return nullptr;
    }
    CLauncherFormLoader loader;
    loader.setWorkingDirectory(QDir(Root() + QStringLiteral("/forms")));
    QWidget* form = loader.load(&file, parent);
    if (form == nullptr)
        qWarning("CLauncherResources: form %d did not load: %s", templateId,
                 qPrintable(loader.errorString()));
    return form;
}
