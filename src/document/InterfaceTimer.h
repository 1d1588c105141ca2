#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QTimer;

// The interface timer: the one periodic driver on the user-interface thread
// (the document's monitor, the automation and the script runner). The
// program uses a Qt timer; tests and the off-line renderer tick it
// themselves together with a virtual clock.
class IInterfaceTimer
{
public:
    static constexpr int kPeriodMs = 200;

    virtual ~IInterfaceTimer() = default;

    // Calls tick every period until Stop; starting again replaces the handler.
    virtual void Start(std::function<void()> tick) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
};

class CQtInterfaceTimer : public IInterfaceTimer
{
public:
    CQtInterfaceTimer();
    ~CQtInterfaceTimer() override;

    void Start(std::function<void()> tick) override;
    void Stop() override;
    bool Active() const override;

private:
    std::unique_ptr<QTimer> timer_;
    std::function<void()> tick_;
};

// A timer that ticks only when Fire is called.
class CManualInterfaceTimer : public IInterfaceTimer
{
public:
    void Start(std::function<void()> tick) override { tick_ = std::move(tick); }
    void Stop() override { tick_ = nullptr; }
    bool Active() const override { return static_cast<bool>(tick_); }
    void Fire()
    {
        if (tick_)
            tick_();
    }

private:
    std::function<void()> tick_;
};
