#pragma once
// Which of its four images an image button shows, decided from mouse and
// capture events alone so that the rules can be checked without a window.

// The four images of a button. The fourth is shown only when a program asks
// for it through ChangeState.
enum ButtonState {
    BUTTON_STATE_NORMAL = 0,
    BUTTON_STATE_HOVER = 1,
    BUTTON_STATE_PRESSED = 2,
    BUTTON_STATE_FOURTH = 3,
};

// Push: a released button goes back to hover, and a button that loses the
// mouse goes back to normal. Sticky: a released button stays pressed until
// something else changes its state (radio-like panels).
enum StateChangeMode {
    STATE_CHANGE_PUSH = 0,
    STATE_CHANGE_STICKY = 1,
};

// Notification codes a button sends to its parent with UM_CUSTOM_BUTTON
// (code first, then the button id). The values are shared with the programs.
enum CustomButtonMsg {
    CBM_BUTTON_DOWN = 0x100,
    CBM_BUTTON_UP = 0x101,
    CBM_MOUSE_MOVE = 0x102,
};

// The window message value of the button notifications (WM_USER + 71).
constexpr unsigned UM_CUSTOM_BUTTON = 0x0447;

class CButtonStateMachine {
public:
    ButtonState GetState() const { return m_eState; }
    StateChangeMode GetMode() const { return m_eMode; }
    void SetMode(StateChangeMode mode) { m_eMode = mode; }
    // Whether the button holds the mouse: taken when the mouse moves inside,
    // given up when it moves outside.
    bool HasCapture() const { return m_bCapture; }

    // Each event handler returns true when the shown state changed, so the
    // caller knows whether to repaint.
    bool ChangeState(ButtonState state);
    bool OnMouseMove(bool inside);
    bool OnLeftButtonDown();
    // A release outside the button is not a click: the press is cancelled
    // (back to normal) unless the button was already pressed before it, which
    // keeps a sticky button's selection. A release inside follows the mode.
    bool OnLeftButtonUp(bool inside);
    // The mouse went to another window (or the button was hidden, disabled or
    // lost focus during a press).
    bool OnCaptureLost();

private:
    ButtonState m_eState = BUTTON_STATE_NORMAL;
    StateChangeMode m_eMode = STATE_CHANGE_PUSH;
    bool m_bCapture = false;
    bool m_bPressedBeforeDown = false;
};
