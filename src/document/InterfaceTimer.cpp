#include "document/InterfaceTimer.h"

#include <QTimer>

CQtInterfaceTimer::CQtInterfaceTimer() : timer_(std::make_unique<QTimer>())
{
    timer_->setInterval(kPeriodMs);
    timer_->setTimerType(Qt::CoarseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        // A tick that opens a message box runs a nested event loop in which
        // further ticks arrive; they run too (the run condition of the
        // script runner sees the open box), but the handler must not be
        // replaced under them.
        if (!tick_)
            return;
        const auto tick = tick_;
        tick();
    });
}

CQtInterfaceTimer::~CQtInterfaceTimer() = default;

void CQtInterfaceTimer::Start(std::function<void()> tick)
{
    tick_ = std::move(tick);
    timer_->start();
}

void CQtInterfaceTimer::Stop()
{
    timer_->stop();
}

bool CQtInterfaceTimer::Active() const
{
    return timer_->isActive();
}
