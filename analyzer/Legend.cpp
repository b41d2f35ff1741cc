#include "Legend.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

QIcon Swatch(const QColor& color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 3));
    painter.drawLine(QPointF(1, 8), QPointF(15, 8));
    return QIcon(pixmap);
}

bool Valid(int slot)
{
    return slot >= 0 && slot < OLegend::kSlots;
}

} // namespace

OLegend::OLegend(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Legend"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(2);
    auto* title = new QLabel(QStringLiteral("Legend"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    for (int slot = 0; slot < kSlots; ++slot) {
        auto* box = new QCheckBox(this);
        box->setChecked(true);
        box->hide();
        box->setEnabled(false);
        connect(box, &QCheckBox::toggled, this,
                [this, slot](bool checked) { emit toggled(slot, checked); });
        layout->addWidget(box);
        m_entries[static_cast<size_t>(slot)].box = box;
    }
    layout->addStretch(1);
}

void OLegend::SetEntry(int slot, const QString& name, const QColor& color)
{
    if (!Valid(slot))
        return;
    Entry& entry = m_entries[static_cast<size_t>(slot)];
    // The pulse's entry changes its name at every step: only what changed is redone.
    if (entry.color != color || entry.box->icon().isNull()) {
        entry.color = color;
        entry.box->setIcon(Swatch(color));
    }
    if (entry.name == name)
        return;
    entry.name = name;
    entry.box->setVisible(!name.isEmpty());
    entry.box->setEnabled(!name.isEmpty());
    UpdateText(slot);
}

void OLegend::SetClamped(int slot, bool bClamped)
{
    if (!Valid(slot))
        return;
    if (m_entries[static_cast<size_t>(slot)].clamped == bClamped)
        return;
    m_entries[static_cast<size_t>(slot)].clamped = bClamped;
    UpdateText(slot);
}

bool OLegend::IsClamped(int slot) const
{
    return Valid(slot) && m_entries[static_cast<size_t>(slot)].clamped;
}

void OLegend::UpdateText(int slot)
{
    Entry& entry = m_entries[static_cast<size_t>(slot)];
    entry.box->setText(entry.clamped ? entry.name + QString::fromLatin1(kClampedMark) : entry.name);
    entry.box->setToolTip(entry.clamped
                              ? QStringLiteral("The gate's window reaches outside the pulse; its "
                                               "values use the pulse's samples inside it only.")
                              : QString());
}

bool OLegend::IsChecked(int slot) const
{
    return Valid(slot) && m_entries[static_cast<size_t>(slot)].box->isChecked();
}

void OLegend::SetChecked(int slot, bool bChecked)
{
    if (Valid(slot))
        m_entries[static_cast<size_t>(slot)].box->setChecked(bChecked);
}

bool OLegend::HasEntry(int slot) const
{
    return Valid(slot) && !m_entries[static_cast<size_t>(slot)].name.isEmpty();
}

QString OLegend::GetText(int slot) const
{
    return Valid(slot) ? m_entries[static_cast<size_t>(slot)].box->text() : QString();
}

QCheckBox* OLegend::Box(int slot) const
{
    return Valid(slot) ? m_entries[static_cast<size_t>(slot)].box : nullptr;
}
