#include "ConnectionsListCtrl.h"

#include "LauncherResources.h"

#include <QPainter>

CConnectionsListCtrl::CConnectionsListCtrl(QWidget* parent) : QListWidget(parent)
{
    setViewMode(QListView::IconMode);
    setIconSize(QSize(kPictureWidth, kPictureHeight));
    setGridSize(QSize(kPictureWidth + 60, kPictureHeight + 56));
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWordWrap(true);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSpacing(8);
    setFrameShape(QFrame::NoFrame);
    setContextMenuPolicy(Qt::CustomContextMenu);
    m_picture = QIcon(QPixmap::fromImage(CLauncherResources::Bitmap(147)));
}

void CConnectionsListCtrl::Fill(const CGeneralPCSettings& list)
{
    const QString selected = GetSelectedName();
    clear();
    for (const CDeviceConnection& connection : list.GetConnections()) {
        const QString name = QString::fromStdString(connection.GetTrimmedName());
        if (name.isEmpty())
            continue;
        auto* item = new QListWidgetItem(m_picture, name, this);
        const int port = connection.GetPortNumber();
        item->setToolTip(port > 0 ? QStringLiteral("%1 on COM%2").arg(name).arg(port) : name);
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    if (!selected.isEmpty())
        SelectName(selected);
    viewport()->update();
}

QString CConnectionsListCtrl::GetSelectedName() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : items.front()->text();
}

void CConnectionsListCtrl::SelectName(const QString& name)
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text() == name) {
            setCurrentItem(item(i));
            item(i)->setSelected(true);
            return;
        }
    }
}

QStringList CConnectionsListCtrl::GetNames() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names.append(item(i)->text());
    return names;
}

void CConnectionsListCtrl::SetEmptyText(const QString& text)
{
    m_strEmptyText = text;
    viewport()->update();
}

void CConnectionsListCtrl::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    if (count() > 0 || m_strEmptyText.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(QColor(90, 90, 90));
    const QRect area = viewport()->rect().adjusted(24, 24, -24, -24);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, m_strEmptyText);
}
