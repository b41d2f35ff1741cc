#pragma once
// The Analyzer's own title bar (the main window has no system frame): the
// program's icon and title with the active document's name, and the
// minimise, maximise and close buttons of the Monitor's pictures. Dragging
// it moves the window; a double click maximises or restores.

#include <QWidget>

class QLabel;

class CAnalyzerTitleBar : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = " Tarvolin Analyzer";

    explicit CAnalyzerTitleBar(QWidget* parent = nullptr);
    // " Tarvolin Analyzer - [run.KLYN]", or the title alone without a document.
    void SetDocumentTitle(const QString& document);
    QString GetText() const;

signals:
    void minimiseRequested();
    void maximiseRequested();
    void closeRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_pTitle;
    QPoint m_dragOffset;
    bool m_bDragging = false;
};
