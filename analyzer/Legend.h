#pragma once
// OLegend: the "Legend" of a plot - one check box per trace slot (12), each
// with the trace's colour and name. Unchecking a box hides its trace (and,
// in the pulse view, the gate's band). A slot without a trace has its box
// hidden and disabled; the box keeps its check state for the next trace.
// A gate whose window had to be clamped to the pulse carries a mark.

#include <QColor>
#include <QString>
#include <QWidget>

#include <array>

class QCheckBox;

class OLegend : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSlots = 12;
    static constexpr const char* kClampedMark = " (clamped)";

    explicit OLegend(QWidget* parent = nullptr);

    // The box of slot labelled with name in color; an empty name hides it.
    void SetEntry(int slot, const QString& name, const QColor& color);
    // Marks (or unmarks) slot as a gate whose window was clamped to the pulse.
    void SetClamped(int slot, bool bClamped);
    bool IsClamped(int slot) const;

    bool IsChecked(int slot) const;
    void SetChecked(int slot, bool bChecked);
    // True when slot holds a named trace (its box is shown).
    bool HasEntry(int slot) const;
    // The box's text as shown, the clamped mark included.
    QString GetText(int slot) const;
    QCheckBox* Box(int slot) const;

signals:
    void toggled(int slot, bool bChecked);

private:
    void UpdateText(int slot);

    struct Entry {
        QCheckBox* box = nullptr;
        QString name;
        QColor color;
        bool clamped = false;
    };
    std::array<Entry, kSlots> m_entries;
};
