#include "controls/TScrollBar.h"

#include <algorithm>

TScrollBar::TScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action == SliderPageStepAdd)
            setSliderPosition(std::min(value() + LargeChange, maximum()));
        else if (action == SliderPageStepSub)
            setSliderPosition(std::max(value() - LargeChange, minimum()));
    });
}

void TScrollBar::setParams(int min, int max, int pageSize)
{
    m_max = max;
    m_pageSize = pageSize;
    const int last = pageSize > 0 ? std::max(min, max - pageSize + 1) : max;
    setRange(min, last);
    QScrollBar::setPageStep(std::max(pageSize, 1));
}
