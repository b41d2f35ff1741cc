#include "ButtonStateMachine.h"

bool CButtonStateMachine::ChangeState(ButtonState state)
{
    if (state == m_eState) {
        return false;
    }
    m_eState = state;
    return true;
}

bool CButtonStateMachine::OnMouseMove(bool inside)
{
    bool changed = false;
    if (inside) {
        m_bCapture = true;
        if (m_eState != BUTTON_STATE_PRESSED) {
            changed = ChangeState(BUTTON_STATE_HOVER);
        }
        return changed;
    }
    // Giving the capture up is itself a capture change, with its own rule.
    if (m_bCapture) {
        changed = OnCaptureLost();
    }
    if (m_eState != BUTTON_STATE_PRESSED) {
        changed = ChangeState(BUTTON_STATE_NORMAL) || changed;
    }
    return changed;
}

bool CButtonStateMachine::OnLeftButtonDown()
{
    m_bPressedBeforeDown = m_eState == BUTTON_STATE_PRESSED;
    return ChangeState(BUTTON_STATE_PRESSED);
}

bool CButtonStateMachine::OnLeftButtonUp(bool inside)
{
    if (!inside) {
        if (m_eMode == STATE_CHANGE_STICKY && m_bPressedBeforeDown) {
            return ChangeState(BUTTON_STATE_PRESSED);
        }
        return ChangeState(BUTTON_STATE_NORMAL);
    }
    if (m_eMode == STATE_CHANGE_PUSH) {
        return ChangeState(BUTTON_STATE_HOVER);
    }
    return false;
}

bool CButtonStateMachine::OnCaptureLost()
{
    m_bCapture = false;
    if (m_eMode == STATE_CHANGE_PUSH) {
        return ChangeState(BUTTON_STATE_NORMAL);
    }
    return false;
}
