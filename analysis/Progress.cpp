#include "Progress.h"

#include <cmath>
#include <cstdio>

OProgressSteps::OProgressSteps(IProgress* sink, std::string task)
    : m_pSink(sink), m_strTask(std::move(task))
{
    if (m_pSink)
        m_pSink->Start(m_strTask);
}

OProgressSteps::~OProgressSteps()
{
    if (m_pSink)
        m_pSink->End();
}

void OProgressSteps::Update(double done, double total)
{
    if (!m_pSink || !(total > 0.0))
        return;
    const double fraction = done / total;
    const int percent = static_cast<int>(fraction * 100.0 + 0.5);
    if (percent % 5 != 0 || percent == m_nLast)
        return;
    m_nLast = percent;
    m_pSink->Step(Text(m_strTask, percent), fraction);
}

std::string OProgressSteps::Text(const std::string& task, int percent)
{
    char text[32];
    std::snprintf(text, sizeof text, " %d%% done", percent);
    return task + text;
}
