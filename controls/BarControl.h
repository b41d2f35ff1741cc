#pragma once
// A plain bar of one colour, used as a separator or accent in page layouts.

#include <QColor>
#include <QWidget>

class CBarControl : public QWidget {
    Q_OBJECT

public:
    explicit CBarControl(QWidget* parent = nullptr);

    // Repaints at once, without erasing first.
    void SetColor(QColor colour);
    QColor GetColor() const { return m_clrColor; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_clrColor{255, 255, 255};
};
