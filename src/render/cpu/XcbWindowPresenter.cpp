#include "render/cpu/XcbWindowPresenter.h"

#include "app/Log.h"
#include "render/device/WindowSizeTracker.h"

#include <xcb/xcb.h>
#if TAVREL_XCB_SHM
#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>
#endif

#include <algorithm>
#include <cstdlib>

namespace {

template <typename T>
struct FreeReply
{
    void operator()(T* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

// The window's visual, when it is true colour with the channels where our
// pixels have them.
bool PixelsFit(xcb_connection_t* connection, uint32_t window, uint8_t depth)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    bool thirtyTwoBits = false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem; xcb_format_next(&formats))
        if (formats.data->depth == depth)
            thirtyTwoBits = formats.data->bits_per_pixel == 32;
    if (!thirtyTwoBits)
        return false;
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
    if (!attributes)
        return false;
    for (auto screens = xcb_setup_roots_iterator(setup); screens.rem; xcb_screen_next(&screens))
        for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem; xcb_depth_next(&depths))
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals))
                if (visuals.data->visual_id == attributes->visual)
                    return visuals.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && visuals.data->red_mask == 0xFF0000u
                           && visuals.data->green_mask == 0xFF00u && visuals.data->blue_mask == 0xFFu;
    return false;
}

// Rows with the alpha byte set: 32-bit visuals would otherwise show the
// back buffer's (meaningless) alpha.
void CopyOpaque(const uint32_t* from, uint32_t* to, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        to[i] = from[i] | 0xFF000000u;
}

}  // namespace

std::unique_ptr<CXcbWindowPresenter> CXcbWindowPresenter::Create(uint32_t window, const char* displayName,
                                                                 std::unique_ptr<CWindowSizeTracker> tracker,
                                                                 QString* error, bool sharedMemory)
{
    std::unique_ptr<CXcbWindowPresenter> presenter(new CXcbWindowPresenter());
    presenter->tracker_ = std::move(tracker);
    presenter->window_ = window;
    xcb_connection_t* connection = xcb_connect(displayName, nullptr);
    presenter->connection_ = connection;
    if (xcb_connection_has_error(connection)) {
        *error = QStringLiteral("cannot open the X display");
        return nullptr;
    }
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    if (!geometry) {
        *error = QStringLiteral("no X window 0x%1").arg(window, 0, 16);
        return nullptr;
    }
    presenter->depth_ = geometry->depth;
    presenter->size_ = QSize(geometry->width, geometry->height);
    if (!PixelsFit(connection, window, geometry->depth)) {
        *error = QStringLiteral("the window's pixels are not 32-bit BGR");
        return nullptr;
    }
    // Configure and destroy events of the window reach this connection too;
    // each client has its own event mask on a window.
    const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &events);
    presenter->gc_ = xcb_generate_id(connection);
    const uint32_t noExposures = 0;
    xcb_create_gc(connection, presenter->gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    presenter->maxRequestBytes_ = static_cast<size_t>(xcb_get_maximum_request_length(connection)) * 4;

#if TAVREL_XCB_SHM
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
    if (sharedMemory && shm && shm->present) {
        Reply<xcb_shm_query_version_reply_t> version(
            xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr));
        presenter->shm_ = version != nullptr;
        presenter->shmOpcode_ = shm->major_opcode;
        presenter->shmCompletion_ = shm->first_event + XCB_SHM_COMPLETION;
    }
#else
    (void)sharedMemory;
#endif
    xcb_flush(connection);
    return presenter;
}

CXcbWindowPresenter::~CXcbWindowPresenter()
{
    if (!connection_)
        return;
    if (!xcb_connection_has_error(connection_)) {
        for (Segment& segment : segments_)
            ReleaseSegment(segment);
        if (gc_)
            xcb_free_gc(connection_, gc_);
        xcb_flush(connection_);
    }
    xcb_disconnect(connection_);
}

void CXcbWindowPresenter::PollEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const uint8_t type = event->response_type & 0x7F;
        if (type == 0) {
            const auto* error = reinterpret_cast<const xcb_generic_error_t*>(event);
            if (error->error_code == XCB_WINDOW || error->error_code == XCB_DRAWABLE) {
                lost_ = true;
            } else if (shm_ && error->major_code == shmOpcode_) {
                // The server cannot read our segments after all: plain
                // requests from now on.
                WriteLog(kLogFailure, "CXcbWindowPresenter: shared memory refused (X error %d), plain images from now on",
                         error->error_code);
                DropSharedMemory();
            } else if (!errorLogged_) {
                // Once: an error of every frame would fill the log.
                errorLogged_ = true;
                WriteLog(kLogFailure, "CXcbWindowPresenter: X error %d on request %d.%d", error->error_code,
                         error->major_code, error->minor_code);
            }
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            if (configure->window == window_)
                size_ = QSize(configure->width, configure->height);
        } else if (type == XCB_DESTROY_NOTIFY) {
            if (reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == window_)
                lost_ = true;
        }
#if TAVREL_XCB_SHM
        else if (shm_ && type == shmCompletion_) {
            const auto* done = reinterpret_cast<const xcb_shm_completion_event_t*>(event);
            for (Segment& segment : segments_)
                if (segment.id == done->shmseg)
                    segment.busy = false;
        }
#endif
        std::free(event);
    }
    if (xcb_connection_has_error(connection_))
        lost_ = true;
}

bool CXcbWindowPresenter::EnsureSegment(Segment& segment, size_t bytes)
{
#if TAVREL_XCB_SHM
    if (segment.data && segment.bytes >= bytes)
        return true;
    ReleaseSegment(segment);
    const int shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmid < 0)
        return false;
    void* data = shmat(shmid, nullptr, 0);
    if (data == reinterpret_cast<void*>(-1)) {
        shmctl(shmid, IPC_RMID, nullptr);
        return false;
    }
    const uint32_t id = xcb_generate_id(connection_);
    // Checked once per segment (only when the frame grows): a remote server
    // refuses the attachment.
    xcb_generic_error_t* error = xcb_request_check(connection_, xcb_shm_attach_checked(connection_, id, shmid, 1));
    // Removed now, freed when both sides have detached.
    shmctl(shmid, IPC_RMID, nullptr);
    if (error) {
        std::free(error);
        shmdt(data);
        return false;
    }
    segment = {id, shmid, static_cast<uint32_t*>(data), bytes, false};
    return true;
#else
    (void)segment;
    (void)bytes;
    return false;
#endif
}

void CXcbWindowPresenter::ReleaseSegment(Segment& segment)
{
    if (!segment.data)
        return;
#if TAVREL_XCB_SHM
    // Ordered after any put request of the segment on this connection.
    xcb_shm_detach(connection_, segment.id);
    shmdt(segment.data);
#endif
    segment = Segment();
}

void CXcbWindowPresenter::DropSharedMemory()
{
    for (Segment& segment : segments_)
        ReleaseSegment(segment);
    shm_ = false;
}

void CXcbWindowPresenter::PutBands(const uint32_t* pixels, int width, int height)
{
    // Each request carries whole rows and stays below the server's limit.
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    const int rowsPerRequest = static_cast<int>(std::max<size_t>(1, (maxRequestBytes_ - 64) / rowBytes));
    for (int y = 0; y < height; y += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, height - y);
        band_.resize(static_cast<size_t>(rows) * width);
        CopyOpaque(pixels + static_cast<size_t>(y) * width, band_.data(), band_.size());
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<uint16_t>(width),
                      static_cast<uint16_t>(rows), 0, static_cast<int16_t>(y), 0, depth_,
                      static_cast<uint32_t>(band_.size() * 4), reinterpret_cast<const uint8_t*>(band_.data()));
    }
}

DeviceStatus CXcbWindowPresenter::Show(const uint32_t* pixels, int width, int height)
{
    PollEvents();
    if (lost_ || (tracker_ && tracker_->WindowGone()))
        return DeviceStatus::kDeviceLost;
    // X coordinates are 16-bit.
    width = std::min(width, 32767);
    height = std::min(height, 32767);
    if (width <= 0 || height <= 0)
        return DeviceStatus::kOk;
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    if (shm_) {
        Segment* segment = &segments_[next_];
        if (segment->busy)
            segment = &segments_[next_ ^ 1];
        // The server has not taken the last two frames yet: this one gives
        // way rather than wait for it.
        if (segment->busy)
            return DeviceStatus::kOk;
        if (EnsureSegment(*segment, bytes)) {
            CopyOpaque(pixels, segment->data, static_cast<size_t>(width) * height);
#if TAVREL_XCB_SHM
            xcb_shm_put_image(connection_, window_, gc_, static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                              0, 0, static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0, 0, depth_,
                              XCB_IMAGE_FORMAT_Z_PIXMAP, 1, segment->id, 0);
#endif
            segment->busy = true;
            next_ = static_cast<int>(segment - segments_) ^ 1;
            xcb_flush(connection_);
            return DeviceStatus::kOk;
        }
        WriteLog(kLogFailure, "CXcbWindowPresenter: no shared memory for %d x %d, plain images from now on", width,
                 height);
        DropSharedMemory();
    }
    PutBands(pixels, width, height);
    xcb_flush(connection_);
    return xcb_connection_has_error(connection_) ? DeviceStatus::kDeviceLost : DeviceStatus::kOk;
}
