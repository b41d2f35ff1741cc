#pragma once
// A page that a main window shows and hides, and that receives the clicks of
// up to four button panels.

#include <QPointer>
#include <QWidget>

#include <array>

class CButtonPannel;

// The four panel slots of a page. The names are for readability only: the
// page does not place its panels.
enum ButtonPannelLocation {
    PANNEL_LOCATION_TOP = 0,
    PANNEL_LOCATION_BOTTOM = 1,
    PANNEL_LOCATION_LEFT = 2,
    PANNEL_LOCATION_RIGHT = 3,
};
constexpr int kButtonPannelLocationCount = 4;

class CPageEx : public QWidget {
    Q_OBJECT

public:
    explicit CPageEx(QWidget* parent = nullptr);
    // The template id names the form the derived page is built from.
    CPageEx(unsigned templateId, QWidget* parent);

    unsigned GetTemplateId() const { return m_nTemplateId; }

    // Stores the panel in the slot and makes this page its target (a panel
    // replaced in the slot stops targeting the page). Locations outside 0..3
    // change nothing.
    void SetButtonPannel(CButtonPannel* panel, int location);
    // The panel in the slot; null when empty or outside 0..3.
    virtual CButtonPannel* GetButtonPannel(int location) const;
    // A click on a button of one of the page's panels. Empty here.
    virtual void OnButtonClicked(unsigned id);
    virtual void ShowMe();
    virtual void HideMe();
    // For pages that refresh themselves from data broadcast to all pages; 0 here.
    virtual int UpdateSelfWithBroadcastData();
    // After every resize of the page. Empty here.
    virtual void OnSizeChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    unsigned m_nTemplateId = 0;
    std::array<QPointer<CButtonPannel>, kButtonPannelLocationCount> m_pButtonPannels;
};
