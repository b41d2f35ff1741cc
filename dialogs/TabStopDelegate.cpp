#include "TabStopDelegate.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QTextOption>

CTabStopDelegate* CTabStopDelegate::Install(QListWidget* list,
                                            const QList<qreal>& stopsInCharacters)
{
    auto* delegate = new CTabStopDelegate(list);
    const qreal average = list->fontMetrics().averageCharWidth();
    QList<qreal> stops;
    for (qreal characters : stopsInCharacters)
        stops << characters * average;
    delegate->SetTabStops(stops);
    list->setItemDelegate(delegate);
    return delegate;
}

void CTabStopDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QTextOption textOption(Qt::AlignLeft | Qt::AlignVCenter);
    textOption.setWrapMode(QTextOption::NoWrap);
    textOption.setTabArray(m_stops);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                         : QPalette::Text));
    painter->drawText(QRectF(area), text, textOption);
    painter->restore();
}
