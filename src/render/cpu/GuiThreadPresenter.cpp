#include "render/cpu/GuiThreadPresenter.h"

#include <QBackingStore>
#include <QPainter>
#include <QPointer>
#include <QWindow>

#include <cstring>

namespace {

// Paints the mailbox's frame on the window; every call on the window's thread.
class CPainter : public QObject
{
public:
    CPainter(QWindow* window, std::shared_ptr<CGuiThreadPresenter::Mailbox> mailbox)
        : window_(window), mailbox_(std::move(mailbox))
    {
        if (window)
            store_ = std::make_unique<QBackingStore>(window);
    }

    void Paint()
    {
        {
            std::lock_guard<std::mutex> lock(mailbox_->mutex);
            mailbox_->posted = false;
            if (!mailbox_->fresh)
                return;
            // The painted image goes back for the render thread to reuse.
            shown_.swap(mailbox_->frame);
            mailbox_->fresh = false;
        }
        if (!window_ || !store_)
            return;
        // The frame is in device pixels, the backing store in the window's
        // own units.
        shown_.setDevicePixelRatio(window_->devicePixelRatio());
        const QRect area(QPoint(0, 0), window_->size());
        if (store_->size() != window_->size())
            store_->resize(window_->size());
        store_->beginPaint(area);
        {
            QPainter painter(store_->paintDevice());
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, shown_);
        }
        store_->endPaint();
        store_->flush(area);
        ++mailbox_->painted;
    }

private:
    QPointer<QWindow> window_;
    std::shared_ptr<CGuiThreadPresenter::Mailbox> mailbox_;
    std::unique_ptr<QBackingStore> store_;
    QImage shown_;
};

}  // namespace

CGuiThreadPresenter::CGuiThreadPresenter(QWindow* window)
    : tracker_(window), mailbox_(std::make_shared<Mailbox>()), painter_(new CPainter(window, mailbox_))
{
    if (window)
        painter_->moveToThread(window->thread());
}

CGuiThreadPresenter::~CGuiThreadPresenter()
{
    // Paint requests still on their way are dropped with the painter.
    painter_->deleteLater();
}

DeviceStatus CGuiThreadPresenter::Show(const uint32_t* pixels, int width, int height)
{
    if (tracker_.WindowGone())
        return DeviceStatus::kDeviceLost;
    if (width <= 0 || height <= 0)
        return DeviceStatus::kOk;
    if (spare_.width() != width || spare_.height() != height)
        spare_ = QImage(width, height, QImage::Format_RGB32);
    if (spare_.isNull())
        return DeviceStatus::kFailed;  // out of memory
    for (int y = 0; y < height; ++y)
        std::memcpy(spare_.scanLine(y), pixels + static_cast<size_t>(y) * width, static_cast<size_t>(width) * 4);
    bool post = false;
    {
        std::lock_guard<std::mutex> lock(mailbox_->mutex);
        spare_.swap(mailbox_->frame);
        mailbox_->fresh = true;
        post = !mailbox_->posted;
        mailbox_->posted = true;
    }
    if (post) {
        auto* painter = static_cast<CPainter*>(painter_);
        QMetaObject::invokeMethod(painter, [painter] { painter->Paint(); }, Qt::QueuedConnection);
    }
    return DeviceStatus::kOk;
}
