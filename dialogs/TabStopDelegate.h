#pragma once
// Draws a list's rows with their tabs expanded to fixed stops, as the
// dialogs' list boxes show their tab-separated rows.

#include <QList>
#include <QStyledItemDelegate>

class QListWidget;

class CTabStopDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CTabStopDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    // Stops in pixels from the row's left edge.
    void SetTabStops(const QList<qreal>& stops) { m_stops = stops; }
    const QList<qreal>& GetTabStops() const { return m_stops; }

    // Installs a delegate on list with stops at the given multiples of the
    // list font's average character width.
    static CTabStopDelegate* Install(QListWidget* list, const QList<qreal>& stopsInCharacters);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QList<qreal> m_stops;
};
