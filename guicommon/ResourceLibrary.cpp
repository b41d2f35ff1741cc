#include "ResourceLibrary.h"

#include "iPlotXControl.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QResource>
#include <QThread>
#include <QUiLoader>

namespace {

struct LibraryState {
    bool loaded = false;
    QString path; // canonical path of the registered file
    QHash<int, QString> strings;
    QHash<QString, CResourceLibrary::WidgetFactory> factories;

    LibraryState()
    {
        factories.insert(QStringLiteral("CiPlotXControl"),
                         [](QWidget* parent) -> QWidget* { return new CiPlotXControl(parent); });
    }
};

LibraryState& State()
{
    static LibraryState state;
    return state;
}

// Before the application object exists there is only the starting thread.
bool OnGuiThread(const char* function)
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        return true;
    }
    qWarning("CResourceLibrary::%s refused: called outside the GUI thread", function);
    return false;
}

QString Root()
{
    return QString::fromLatin1(CResourceLibrary::kRoot);
}

QString StringTablePath(const QString& root)
{
    return root + QStringLiteral("/strings/0409.txt");
}

// Text after the "=" is taken verbatim (entry 105 starts with a blank); only
// "\n" and "\\" are escapes, so any other backslash stays as written.
QString Unescape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            if (text[i + 1] == u'n') {
                out += u'\n';
                ++i;
                continue;
            }
            if (text[i + 1] == u'\\') {
                out += u'\\';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QHash<int, QString> ParseStringTable(const QByteArray& data)
{
    QHash<int, QString> table;
    const QList<QByteArray> lines = data.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.trimmed().isEmpty() || line.trimmed().startsWith('#')) {
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        bool isNumber = false;
        const int id = equals > 0 ? line.left(equals).trimmed().toInt(&isNumber) : 0;
        if (!isNumber) {
            qWarning("CResourceLibrary: string table line ignored: %s", line.constData());
            continue;
        }
        table.insert(id, Unescape(QString::fromUtf8(line.mid(equals + 1))));
    }
    return table;
}

// A file that registers but lacks our string table is some other program's
// resource file. It is looked at under a private root so the check cannot
// be fooled by a library that is already loaded.
bool HoldsLibrary(const QString& file)
{
    const QString probeRoot = QStringLiteral("/tarvolin-resource-probe");
    if (!QResource::registerResource(file, probeRoot)) {
        return false;
    }
    const bool holds =
        QFileInfo(StringTablePath(QLatin1Char(':') + probeRoot + QStringLiteral("/QuillonRes0409")))
            .isFile();
    QResource::unregisterResource(file, probeRoot);
    return holds;
}

class CFormLoader : public QUiLoader {
public:
    explicit CFormLoader(const QHash<QString, CResourceLibrary::WidgetFactory>& factories)
        : m_factories(factories)
    {
        // Designer plugins installed on the machine must not change what a
        // form turns into.
        clearPluginPaths();
    }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        const auto factory = m_factories.constFind(className);
        if (factory != m_factories.constEnd() && *factory) {
            if (QWidget* widget = (*factory)(parent)) {
                widget->setObjectName(name);
                return widget;
            }
            qWarning("CResourceLibrary: the factory of %s made no widget for %s",
                     qPrintable(className), qPrintable(name));
        }
        return QUiLoader::createWidget(className, parent, name);
    }

private:
    const QHash<QString, CResourceLibrary::WidgetFactory>& m_factories;
};

} // namespace

bool CResourceLibrary::Load(const QString& path)
{
    if (!OnGuiThread("Load")) {
        return false;
    }
    const QFileInfo info(path);
    if (!info.isFile()) {
        qWarning("CResourceLibrary: no resource file at %s", qPrintable(path));
        return false;
    }
    LibraryState& state = State();
    const QString canonical = info.canonicalFilePath();
    if (state.loaded && canonical == state.path) {
        return true;
    }
    if (!HoldsLibrary(canonical) || !QResource::registerResource(canonical)) {
        qWarning("CResourceLibrary: %s is not the Monitor's resource file", qPrintable(path));
        return false;
    }
    if (state.loaded) {
        QResource::unregisterResource(state.path);
    }
    state.loaded = true;
    state.path = canonical;

    QFile table(StringTablePath(Root()));
    state.strings =
        table.open(QIODevice::ReadOnly) ? ParseStringTable(table.readAll()) : QHash<int, QString>();
    return true;
}

bool CResourceLibrary::LoadBuiltIn()
{
    if (!OnGuiThread("LoadBuiltIn")) {
        return false;
    }
    LibraryState& state = State();
    if (state.loaded) {
        return state.path == Root();
    }
    QFile table(StringTablePath(Root()));
    if (!table.open(QIODevice::ReadOnly)) {
        qWarning("CResourceLibrary: the program carries no resource library");
        return false;
    }
    state.loaded = true;
    state.path = Root();
    state.strings = ParseStringTable(table.readAll());
    return true;
}

QString CResourceLibrary::DefaultPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kFileName));
}

bool CResourceLibrary::IsLoaded()
{
    return OnGuiThread("IsLoaded") && State().loaded;
}

QString CResourceLibrary::LoadedPath()
{
    return OnGuiThread("LoadedPath") ? State().path : QString();
}

QString CResourceLibrary::String(int id)
{
    if (!OnGuiThread("String")) {
        return {};
    }
    return State().strings.value(id);
}

QImage CResourceLibrary::Bitmap(int id)
{
    if (!OnGuiThread("Bitmap") || !State().loaded) {
        return {};
    }
    return QImage(Root() + QStringLiteral("/bitmaps/%1.png").arg(id));
}

QIcon CResourceLibrary::AppIcon()
{
    if (!OnGuiThread("AppIcon") || !State().loaded) {
        return {};
    }
    QIcon icon;
    icon.addFile(Root() + QStringLiteral("/icon/128.png"));
    icon.addFile(Root() + QStringLiteral("/icon/128_256.png"));
    return icon;
}

void CResourceLibrary::RegisterWidgetClass(const QString& className, WidgetFactory factory)
{
    if (OnGuiThread("RegisterWidgetClass")) {
        State().factories.insert(className, std::move(factory));
    }
}

QWidget* CResourceLibrary::LoadForm(int templateId, QWidget* parent)
{
    if (!OnGuiThread("LoadForm") || !State().loaded) {
        return nullptr;
    }
    QFile file(Root() + QStringLiteral("/forms/%1.ui").arg(templateId));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("CResourceLibrary: no form %d", templateId);
        return nullptr;
    }
    CFormLoader loader(State().factories);
    loader.setWorkingDirectory(QDir(Root() + QStringLiteral("/forms")));
    QWidget* form = loader.load(&file, parent);
    if (form == nullptr) {
        qWarning("CResourceLibrary: form %d did not load: %s", templateId,
                 qPrintable(loader.errorString()));
    }
    return form;
}
