#include "StatusProgress.h"

#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <cmath>

OStatusProgress::OStatusProgress(QLabel* text, QProgressBar* bar) : m_pText(text), m_pBar(bar)
{
    m_pBar->setRange(0, 100);
    m_pBar->hide();
}

void OStatusProgress::Start(const std::string& task)
{
    ++m_nDepth;
    m_pText->setText(QString::fromStdString(task));
    m_pBar->setValue(0);
    m_pBar->show();
    m_pText->repaint();
    m_pBar->repaint();
}

void OStatusProgress::Step(const std::string& text, double fraction)
{
    m_pText->setText(QString::fromStdString(text));
    m_pBar->setValue(std::clamp(static_cast<int>(std::lround(fraction * 100.0)), 0, 100));
    m_pText->repaint();
    m_pBar->repaint();
}

void OStatusProgress::End()
{
    if (m_nDepth > 0 && --m_nDepth > 0)
        return;
    m_pBar->hide();
    m_pText->setText(QString::fromLatin1(kReady));
}
