// Turns the user's manual, written in Markdown (one file a chapter), into one
// PDF: a title page, the contents with page numbers, then the chapters in the
// order given, each starting on a new page, pictures scaled to fit the page,
// a footer with the page number on every page but the first.
//
// Usage: tarvolin-manual-pdf -o OUT.pdf [--title T] [--subtitle S] CHAPTER.md...
// Runs without a display (the offscreen platform). A picture that cannot be
// read is an error, so a broken link in the manual fails the build.
#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextOption>

#include <cstdio>

namespace {

constexpr int kResolution = 300; // dots per inch of the PDF's layout
// Margins, tab stops and picture sizes are given to the text layout in
// pixels of 96 per inch, which it scales to the PDF's resolution; the page
// size and the positions it reports are in the PDF's own dots.
constexpr double kLayoutDpi = 96.0;
constexpr double kMarginMm = 20.0;
constexpr double kBodyPoints = 10.5;

struct Options {
    QString out;
    QString title = QStringLiteral("Tarvolin");
    QString subtitle = QStringLiteral("User's Manual");
    QStringList chapters;
};

bool Fail(const QString& text)
{
    std::fprintf(stderr, "tarvolin-manual-pdf: %s\n", qPrintable(text));
    return false;
}

bool ParseArguments(const QStringList& args, Options& options)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("-o") && hasValue)
            options.out = args[++i];
        else if (a == QLatin1String("--title") && hasValue)
            options.title = args[++i];
        else if (a == QLatin1String("--subtitle") && hasValue)
            options.subtitle = args[++i];
        else if (a.startsWith(QLatin1Char('-')))
            return Fail(QStringLiteral("unknown option \"%1\"").arg(a));
        else
            options.chapters.append(a);
    }
    if (options.out.isEmpty() || options.chapters.isEmpty())
        return Fail(QStringLiteral("usage: tarvolin-manual-pdf -o OUT.pdf [--title T] "
                                   "[--subtitle S] CHAPTER.md..."));
    return true;
}

using Pictures = QList<QPair<QUrl, QImage>>;

// Reads the chapters into one Markdown text. Each picture is loaded here,
// relative to its chapter, and named anew, so that pictures of different
// chapters cannot be confused.
bool ReadChapters(const QStringList& chapters, QString& markdown, Pictures& pictures)
{
    static const QRegularExpression picture(QStringLiteral(R"(!\[([^\]]*)\]\(([^)\s]+)\))"));
    int count = 0;
    for (const QString& path : chapters) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return Fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        QString text = QString::fromUtf8(file.readAll());
        const QDir folder = QFileInfo(path).absoluteDir();
        QString resolved;
        qsizetype last = 0;
        for (auto it = picture.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString source = folder.filePath(m.captured(2));
            const QImage image(source);
            if (image.isNull())
                return Fail(QStringLiteral("%1: cannot read the picture %2").arg(path, source));
            const QUrl name(QStringLiteral("picture%1.png").arg(++count));
            pictures.append({name, image});
            resolved += text.mid(last, m.capturedStart() - last);
            resolved += QStringLiteral("![%1](%2)").arg(m.captured(1), name.toString());
            last = m.capturedEnd();
        }
        resolved += text.mid(last);
        markdown += resolved + QStringLiteral("\n\n");
    }
    return true;
}

// A length in points, in the layout's pixels.
double Points(double points)
{
    return points * kLayoutDpi / 72.0;
}

double Millimetres(double mm, double dpi)
{
    return mm / 25.4 * dpi;
}

// Pictures wider than the text are scaled down to its width.
void FitPictures(QTextDocument& doc, double textWidth)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage image =
                doc.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
            if (image.isNull())
                continue;
            // Screen pictures keep their size in the layout's pixels.
            double width = image.width();
            double height = image.height();
            if (width > textWidth) {
                height *= textWidth / width;
                width = textWidth;
            }
            format.setWidth(width);
            format.setHeight(height);
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

struct Heading {
    QTextBlock block;
    int level;
};

QList<Heading> Headings(QTextDocument& doc)
{
    QList<Heading> headings;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 1 || level == 2)
            headings.append({block, level});
    }
    return headings;
}

// The page layout shared by the front matter and the chapters: A4 in the
// PDF's dots, margins in the layout's pixels, room for the footer.
void SetUpPage(QTextDocument& doc, QPdfWriter& writer, const QFont& font)
{
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setDefaultFont(font);
    QTextFrameFormat frame = doc.rootFrame()->frameFormat();
    const double margin = Millimetres(kMarginMm, kLayoutDpi);
    frame.setMargin(margin);
    frame.setBottomMargin(margin + Points(14));
    doc.rootFrame()->setFrameFormat(frame);
    doc.setPageSize(QSizeF(writer.width(), writer.height()));
}

// The title page and the contents, in a document of their own; each
// contents line ends in a tab and "000", the place of its page number.
QList<QTextBlock> WriteFrontMatter(QTextDocument& front, const Options& options,
                                   const QList<Heading>& headings, double textWidth)
{
    QTextCursor cursor(&front);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setTopMargin(Points(200));
    QTextCharFormat big;
    big.setFontPointSize(34);
    big.setFontWeight(QFont::Bold);
    big.setForeground(QColor(0, 76, 154));
    cursor.setBlockFormat(centred);
    cursor.setCharFormat(big);
    cursor.insertText(options.title);
    centred.setTopMargin(Points(12));
    QTextCharFormat sub;
    sub.setFontPointSize(18);
    sub.setForeground(QColor(0, 76, 154));
    cursor.insertBlock(centred, sub);
    cursor.insertText(options.subtitle);

    QTextBlockFormat heading;
    heading.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    heading.setBottomMargin(Points(12));
    QTextCharFormat headingText;
    headingText.setFontPointSize(18);
    headingText.setFontWeight(QFont::Bold);
    cursor.insertBlock(heading, headingText);
    cursor.insertText(QStringLiteral("Contents"));

    QList<QTextBlock> lines;
    for (const Heading& h : headings) {
        const double indent = h.level == 1 ? 0 : Points(14);
        QTextBlockFormat line;
        line.setLeftMargin(indent);
        line.setTopMargin(h.level == 1 ? Points(8) : Points(1));
        // Tab stops count from the paragraph's own start.
        line.setTabPositions({QTextOption::Tab(textWidth - indent, QTextOption::RightTab)});
        QTextCharFormat text;
        text.setFontPointSize(kBodyPoints);
        text.setFontWeight(h.level == 1 ? QFont::Bold : QFont::Normal);
        cursor.insertBlock(line, text);
        cursor.insertText(h.block.text() + QStringLiteral("\t000"));
        lines.append(cursor.block());
    }
    return lines;
}

int PageOf(QTextDocument& doc, const QTextBlock& block)
{
    const QRectF box = doc.documentLayout()->blockBoundingRect(block);
    return static_cast<int>(box.top() / doc.pageSize().height()) + 1;
}

// Draws page n of the document on the painter's current page.
void DrawPage(QPainter& painter, QTextDocument& doc, int n)
{
    const QSizeF page = doc.pageSize();
    painter.save();
    painter.translate(0, -n * page.height());
    doc.drawContents(&painter, QRectF(QPointF(0, n * page.height()), page));
    painter.restore();
}

bool Write(const Options& options)
{
    QString markdown;
    Pictures pictures;
    if (!ReadChapters(options.chapters, markdown, pictures))
        return false;

    QPdfWriter writer(options.out + QStringLiteral(".part"));
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    writer.setTitle(options.title + QStringLiteral(" ") + options.subtitle);
    writer.setCreator(QStringLiteral("tarvolin-manual-pdf"));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(kBodyPoints);
    QTextDocument doc;
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    // After the text: setting it clears the document's resources.
    for (const auto& [name, image] : pictures)
        doc.addResource(QTextDocument::ImageResource, name, image);
    SetUpPage(doc, writer, font);
    const double textWidth =
        writer.width() * kLayoutDpi / kResolution - 2 * Millimetres(kMarginMm, kLayoutDpi);

    const QList<Heading> headings = Headings(doc);
    for (const Heading& h : headings) {
        QTextBlockFormat format = h.block.blockFormat();
        if (h.level == 1 && h.block != doc.begin())
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        format.setTopMargin(Points(h.level == 1 ? 0 : 10));
        format.setBottomMargin(Points(6));
        QTextCursor(h.block).setBlockFormat(format);
    }
    FitPictures(doc, textWidth);
    // Format changes are laid out again only near where they were made; the
    // lists further on would keep lines of no length. Lay out everything anew.
    doc.markContentsDirty(0, doc.characterCount());

    QTextDocument front;
    SetUpPage(front, writer, font);
    const QList<QTextBlock> contents = WriteFrontMatter(front, options, headings, textWidth);
    // The numbers take the place of the zeros, so the contents keep their length.
    const int frontPages = front.pageCount();
    for (qsizetype i = 0; i < contents.size(); ++i) {
        QTextCursor cursor(contents[i]);
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, 3);
        cursor.insertText(QString::number(frontPages + PageOf(doc, headings[i].block)));
    }

    QPainter painter;
    if (!painter.begin(&writer))
        return Fail(QStringLiteral("cannot write %1").arg(options.out));
    const int pages = frontPages + doc.pageCount();
    QFont footer = font;
    footer.setPointSizeF(8.5);
    const QSizeF page(writer.width(), writer.height());
    for (int n = 0; n < pages; ++n) {
        if (n > 0)
            writer.newPage();
        if (n < frontPages)
            DrawPage(painter, front, n);
        else
            DrawPage(painter, doc, n - frontPages);
        if (n > 0) {
            // The painter works in the PDF's dots.
            const double side = Millimetres(kMarginMm, kResolution);
            painter.setFont(footer);
            painter.setPen(QColor(90, 90, 90));
            const QRectF line(side, page.height() - side, page.width() - 2 * side,
                              14.0 * kResolution / 72.0);
            painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom,
                             options.title + QStringLiteral(" ") + options.subtitle);
            painter.drawText(line, Qt::AlignRight | Qt::AlignBottom, QString::number(n + 1));
        }
    }
    if (!painter.end())
        return Fail(QStringLiteral("cannot write %1").arg(options.out));
    QFile::remove(options.out);
    if (!QFile::rename(options.out + QStringLiteral(".part"), options.out))
        return Fail(QStringLiteral("cannot write %1").arg(options.out));
    std::printf("%s: %d pages\n", qPrintable(options.out), pages);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Options options;
    if (!ParseArguments(app.arguments(), options))
        return 2;
    return Write(options) ? 0 : 1;
}
