#include "GraphToolbar.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>

namespace {

const char kKindProperty[] = "toolKind";

} // namespace

CGraphToolbar::CGraphToolbar(const QString& title, QWidget* parent) : QToolBar(title, parent)
{
    setIconSize(QSize(20, 20));
    setMovable(false);
    setFloatable(false);
    auto* label = new QLabel(title, this);
    label->setContentsMargins(6, 0, 10, 0);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    addWidget(label);
}

QAction* CGraphToolbar::AddButton(OToolIcons::Kind kind, const QString& toolTip, bool bCheckable)
{
    QAction* action = addAction(OToolIcons::Icon(kind), toolTip);
    action->setToolTip(toolTip);
    action->setCheckable(bCheckable);
    action->setProperty(kKindProperty, static_cast<int>(kind));
    return action;
}

QAction* CGraphToolbar::Button(OToolIcons::Kind kind) const
{
    for (QAction* action : actions())
        if (action->property(kKindProperty).isValid() &&
            action->property(kKindProperty).toInt() == static_cast<int>(kind))
            return action;
    return nullptr;
}

CPulseToolBar::CPulseToolBar(QWidget* parent) : CGraphToolbar(QStringLiteral("Pulse"), parent)
{
    using K = OToolIcons::Kind;
    AddButton(K::ZoomIn, QStringLiteral("Zoom in"));
    AddButton(K::ZoomOut, QStringLiteral("Zoom Out"));
    AddButton(K::ZoomToFit, QStringLiteral("Zoom to Fit"));
    addSeparator();
    AddButton(K::Previous, QStringLiteral("Previous"));
    AddButton(K::Next, QStringLiteral("Next"));
    addSeparator();
    AddButton(K::Restore, QStringLiteral("Restore"));
    AddButton(K::Grid, QStringLiteral("Grid"), true)->setChecked(true);
    AddButton(K::SnapToTrace, QStringLiteral("Snap to Trace"), true);
    AddButton(K::Copy, QStringLiteral("Pulse Send to Clipboard"));
    AddButton(K::Print, QStringLiteral("Print"));
}

CChromatogramToolBar::CChromatogramToolBar(QWidget* parent)
    : CGraphToolbar(QStringLiteral("Chromatogram"), parent)
{
    using K = OToolIcons::Kind;
    auto* modes = new QActionGroup(this);
    modes->setExclusive(true);
    for (auto [kind, tip] :
         {std::pair{K::ScrollAxes, "Scroll (Axes)"}, std::pair{K::ZoomAxes, "Zoom (Axes)"},
          std::pair{K::ZoomBox, "Zoom Box"}})
        modes->addAction(AddButton(kind, QString::fromLatin1(tip), true));
    Button(K::ZoomBox)->setChecked(true);
    AddButton(K::ZoomToFit, QStringLiteral("Zoom to Fit"));
    addSeparator();
    AddButton(K::Recalculate, QStringLiteral("Recalculate"));
    AddButton(K::PreviousView, QStringLiteral("Previous View"));
    AddButton(K::Restore, QStringLiteral("Restore"));
    AddButton(K::Grid, QStringLiteral("Grid"), true)->setChecked(true);
    AddButton(K::SnapToTrace, QStringLiteral("Snap to Trace"), true);
    AddButton(K::Copy, QStringLiteral("Chromatogram Send to Clipboard"));
    AddButton(K::Print, QStringLiteral("Print"));
}
