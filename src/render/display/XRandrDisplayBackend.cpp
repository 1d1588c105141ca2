#include "render/display/XRandrDisplayBackend.h"

#include "app/Log.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// X errors arrive asynchronously; while a change is made they are caught and
// turned into a failed result instead of ending the program.
int lastXError = 0;
int CatchXError(Display*, XErrorEvent* event)
{
    lastXError = event->error_code;
    return 0;
}

class XErrorTrap
{
public:
    explicit XErrorTrap(Display* display) : display_(display)
    {
        XSync(display_, False);
        lastXError = 0;
        previous_ = XSetErrorHandler(&CatchXError);
    }
    ~XErrorTrap() { XSetErrorHandler(previous_); }
    bool Failed()
    {
        XSync(display_, False);
        return lastXError != 0;
    }

private:
    Display* display_;
    XErrorHandler previous_;
};

struct ResourcesDeleter
{
    void operator()(XRRScreenResources* r) const { XRRFreeScreenResources(r); }
};
struct OutputDeleter
{
    void operator()(XRROutputInfo* o) const { XRRFreeOutputInfo(o); }
};
struct CrtcDeleter
{
    void operator()(XRRCrtcInfo* c) const { XRRFreeCrtcInfo(c); }
};
using Resources = std::unique_ptr<XRRScreenResources, ResourcesDeleter>;
using OutputInfo = std::unique_ptr<XRROutputInfo, OutputDeleter>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, CrtcDeleter>;

const XRRModeInfo* FindModeInfo(const XRRScreenResources* resources, RRMode id)
{
    for (int i = 0; i < resources->nmode; ++i) {
        if (resources->modes[i].id == id)
            return &resources->modes[i];
    }
    return nullptr;
}

// Interlaced modes count frames, not fields (1080i50 is 25), as the output
// requests name them.
DisplayModeInfo DescribeMode(const XRRModeInfo& mode)
{
    DisplayModeInfo info;
    info.width = static_cast<int>(mode.width);
    info.height = static_cast<int>(mode.height);
    info.bitsPerPixel = 32;
    info.interlaced = (mode.modeFlags & RR_Interlace) != 0;
    double vTotal = mode.vTotal;
    if (mode.modeFlags & RR_DoubleScan)
        vTotal *= 2;
    if (mode.hTotal > 0 && vTotal > 0)
        info.refreshRate = static_cast<int>(std::lround(static_cast<double>(mode.dotClock) / (mode.hTotal * vTotal)));
    return info;
}

// The monitor's name from the EDID descriptor 0xFC, if the output has one.
QString MonitorNameFromEdid(Display* display, RROutput output)
{
    const Atom edidAtom = XInternAtom(display, RR_PROPERTY_RANDR_EDID, True);
    if (edidAtom == None)
        return {};
    unsigned char* data = nullptr;
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    if (XRRGetOutputProperty(display, output, edidAtom, 0, 64, False, False, AnyPropertyType, &type, &format, &items,
                             &after, &data) != Success ||
        !data)
        return {};
    QString name;
    if (format == 8 && items >= 128) {
        for (int block = 54; block <= 108; block += 18) {
            if (data[block] == 0 && data[block + 1] == 0 && data[block + 3] == 0xFC) {
                QByteArray text(reinterpret_cast<const char*>(data + block + 5), 13);
                const int end = text.indexOf('\n');
                name = QString::fromLatin1(end >= 0 ? text.left(end) : text).trimmed();
                break;
            }
        }
    }
    XFree(data);
    return name;
}

QString ProviderName(Display* display, Window root, XRRScreenResources* resources)
{
    QString name;
    if (XRRProviderResources* providers = XRRGetProviderResources(display, root)) {
        if (providers->nproviders > 0) {
            if (XRRProviderInfo* info = XRRGetProviderInfo(display, resources, providers->providers[0])) {
                name = QString::fromUtf8(info->name);
                XRRFreeProviderInfo(info);
            }
        }
        XRRFreeProviderResources(providers);
    }
    return name.isEmpty() ? QStringLiteral("X11 RandR") : name;
}

}  // namespace

CXRandrDisplayBackend::CXRandrDisplayBackend(const QByteArray& displayName)
{
    display_ = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!display_)
        return;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display_, &eventBase, &errorBase) || !XRRQueryVersion(display_, &major, &minor) ||
        major < 1 || (major == 1 && minor < 3)) {
        WriteLog(kLogFailure, "CXRandrDisplayBackend: RandR 1.3 not available");
        XCloseDisplay(display_);
        display_ = nullptr;
        return;
    }
    root_ = DefaultRootWindow(display_);
    // Xlib keeps the screen's size from the connection's start; these events
    // keep it up to date (CurrentDesktopSize).
    XRRSelectInput(display_, root_, RRScreenChangeNotifyMask);
}

CXRandrDisplayBackend::~CXRandrDisplayBackend()
{
    if (display_)
        XCloseDisplay(display_);
}

std::vector<DisplayDeviceInfo> CXRandrDisplayBackend::EnumerateDevices()
{
    std::vector<DisplayDeviceInfo> devices;
    if (!display_)
        return devices;
    Resources resources(XRRGetScreenResourcesCurrent(display_, root_));
    if (!resources)
        return devices;
    const QString adapter = ProviderName(display_, root_, resources.get());
    RROutput primary = XRRGetOutputPrimary(display_, root_);
    // Without a primary output set, the first active one is the desktop's main display.
    if (primary == None) {
        for (int i = 0; i < resources->noutput && primary == None; ++i) {
            OutputInfo info(XRRGetOutputInfo(display_, resources.get(), resources->outputs[i]));
            if (info && info->crtc != None)
                primary = resources->outputs[i];
        }
    }
    for (int i = 0; i < resources->noutput; ++i) {
        const RROutput output = resources->outputs[i];
        OutputInfo info(XRRGetOutputInfo(display_, resources.get(), output));
        if (!info)
            continue;
        DisplayDeviceInfo device;
        device.deviceName = QString::fromUtf8(info->name, info->nameLen);
        device.deviceString = adapter;
        if (info->crtc != None)
            device.stateFlags |= kDeviceAttachedToDesktop;
        if (output == primary)
            device.stateFlags |= kDevicePrimary;
        if (info->connection == RR_Connected) {
            QString monitor = MonitorNameFromEdid(display_, output);
            if (monitor.isEmpty())
                monitor = QStringLiteral("Monitor on %1").arg(device.deviceName);
            device.monitors.push_back({device.deviceName + QStringLiteral("-0"), monitor,
                                       info->crtc != None ? 0x3u : 0x1u});
        }
        for (int m = 0; m < info->nmode; ++m) {
            if (const XRRModeInfo* mode = FindModeInfo(resources.get(), info->modes[m]))
                device.modes.push_back(DescribeMode(*mode));
        }
        devices.push_back(std::move(device));
    }
    return devices;
}

bool CXRandrDisplayBackend::CurrentSettings(const QString& deviceName, DisplaySettings& settings)
{
    if (!display_)
        return false;
    Resources resources(XRRGetScreenResourcesCurrent(display_, root_));
    if (!resources)
        return false;
    for (int i = 0; i < resources->noutput; ++i) {
        OutputInfo info(XRRGetOutputInfo(display_, resources.get(), resources->outputs[i]));
        if (!info || QString::fromUtf8(info->name, info->nameLen) != deviceName)
            continue;
        if (info->crtc == None)
            return false;
        CrtcInfo crtc(XRRGetCrtcInfo(display_, resources.get(), info->crtc));
        if (!crtc || crtc->mode == None)
            return false;
        settings = {};
        settings.fields = kFieldPosition | kFieldWidth | kFieldHeight | kFieldBitsPerPixel | kFieldFrequency |
                          kFieldDisplayFlags;
        settings.x = crtc->x;
        settings.y = crtc->y;
        settings.width = static_cast<int>(crtc->width);
        settings.height = static_cast<int>(crtc->height);
        settings.bitsPerPixel = 32;
        if (const XRRModeInfo* mode = FindModeInfo(resources.get(), crtc->mode)) {
            const DisplayModeInfo described = DescribeMode(*mode);
            settings.refreshRate = described.refreshRate;
            settings.interlaced = described.interlaced;
        }
        return true;
    }
    return false;
}

int CXRandrDisplayBackend::StageSettings(const QString& deviceName, const DisplaySettings& settings)
{
    if (!display_)
        return kDisplayChangeFailed;
    if (settings.width != 0 || settings.height != 0) {
        bool found = false;
        bool offered = false;
        for (const DisplayDeviceInfo& device : EnumerateDevices()) {
            if (device.deviceName != deviceName)
                continue;
            found = true;
            const bool interlaced = (settings.fields & kFieldDisplayFlags) && settings.interlaced;
            offered = std::any_of(device.modes.begin(), device.modes.end(), [&](const DisplayModeInfo& m) {
                return m.width == settings.width && m.height == settings.height &&
                       (!(settings.fields & kFieldFrequency) || m.refreshRate == settings.refreshRate) &&
                       (!(settings.fields & kFieldDisplayFlags) || m.interlaced == interlaced);
            });
        }
        if (!found)
            return kDisplayChangeFailed;
        if (!offered)
            return kDisplayChangeBadMode;
    }
    staged_.emplace_back(deviceName, settings);
    return kDisplayChangeSuccessful;
}

int CXRandrDisplayBackend::ApplyStaged()
{
    auto staged = std::move(staged_);
    staged_.clear();
    for (const auto& [name, settings] : staged) {
        const int result = Apply(name, settings);
        if (result != kDisplayChangeSuccessful)
            return result;
    }
    return kDisplayChangeSuccessful;
}

int CXRandrDisplayBackend::SetSettings(const QString& deviceName, const DisplaySettings& settings)
{
    return Apply(deviceName, settings);
}

int CXRandrDisplayBackend::Apply(const QString& deviceName, const DisplaySettings& settings)
{
    if (!display_)
        return kDisplayChangeFailed;
    Resources resources(XRRGetScreenResourcesCurrent(display_, root_));
    if (!resources)
        return kDisplayChangeFailed;
    RROutput output = None;
    OutputInfo info;
    for (int i = 0; i < resources->noutput && output == None; ++i) {
        OutputInfo candidate(XRRGetOutputInfo(display_, resources.get(), resources->outputs[i]));
        if (candidate && QString::fromUtf8(candidate->name, candidate->nameLen) == deviceName) {
            output = resources->outputs[i];
            info = std::move(candidate);
        }
    }
    if (output == None)
        return kDisplayChangeFailed;

    XErrorTrap trap(display_);
    if (settings.width == 0 && settings.height == 0) {
        if (info->crtc == None)
            return kDisplayChangeSuccessful;
        XRRSetCrtcConfig(display_, resources.get(), info->crtc, CurrentTime, 0, 0, None, RR_Rotate_0, nullptr, 0);
        return trap.Failed() ? kDisplayChangeFailed : kDisplayChangeSuccessful;
    }

    // The mode: exact size, the rate when asked, interlaced or not when asked.
    const bool interlaced = (settings.fields & kFieldDisplayFlags) && settings.interlaced;
    auto fits = [&](const XRRModeInfo* mode) {
        if (!mode)
            return false;
        const DisplayModeInfo d = DescribeMode(*mode);
        return d.width == settings.width && d.height == settings.height &&
               (!(settings.fields & kFieldFrequency) || d.refreshRate == settings.refreshRate) &&
               (!(settings.fields & kFieldDisplayFlags) || d.interlaced == interlaced);
    };
    // The output's own mode first: another one of the same size and rounded
    // rate may be 59.94 Hz instead of 60 or interlaced.
    RRMode modeId = None;
    CrtcInfo current;
    if (info->crtc != None) {
        current.reset(XRRGetCrtcInfo(display_, resources.get(), info->crtc));
        if (current && current->mode != None && fits(FindModeInfo(resources.get(), current->mode)))
            modeId = current->mode;
    }
    for (int m = 0; m < info->nmode && modeId == None; ++m) {
        if (fits(FindModeInfo(resources.get(), info->modes[m])))
            modeId = info->modes[m];
    }
    if (modeId == None)
        return kDisplayChangeBadMode;
    // Already so: nothing to set.
    if (current && current->mode == modeId && current->x == settings.x && current->y == settings.y &&
        current->rotation == RR_Rotate_0 && current->noutput == 1 && current->outputs[0] == output)
        return kDisplayChangeSuccessful;

    // The output's own CRTC, or a free one that can drive it.
    RRCrtc crtc = info->crtc;
    for (int c = 0; c < info->ncrtc && crtc == None; ++c) {
        CrtcInfo candidate(XRRGetCrtcInfo(display_, resources.get(), info->crtcs[c]));
        if (candidate && candidate->noutput == 0)
            crtc = info->crtcs[c];
    }
    if (crtc == None)
        return kDisplayChangeFailed;

    // Grow the screen so that the output fits right of the others.
    const int right = settings.x + settings.width;
    const int bottom = settings.y + settings.height;
    DesktopSize screen;
    if (!CurrentDesktopSize(screen))
        return kDisplayChangeFailed;
    if (right > screen.width || bottom > screen.height) {
        screen.width = std::max(screen.width, right);
        screen.height = std::max(screen.height, bottom);
        screen.widthMm = screen.heightMm = 0;
        if (SetDesktopSize(screen) != kDisplayChangeSuccessful)
            return kDisplayChangeFailed;
    }
    RROutput outputs[] = {output};
    XRRSetCrtcConfig(display_, resources.get(), crtc, CurrentTime, settings.x, settings.y, modeId, RR_Rotate_0,
                     outputs, 1);
    return trap.Failed() ? kDisplayChangeFailed : kDisplayChangeSuccessful;
}

std::vector<MonitorArea> CXRandrDisplayBackend::EnumerateMonitors()
{
    std::vector<MonitorArea> areas;
    if (!display_)
        return areas;
    Resources resources(XRRGetScreenResourcesCurrent(display_, root_));
    if (!resources)
        return areas;
    for (int i = 0; i < resources->noutput; ++i) {
        OutputInfo info(XRRGetOutputInfo(display_, resources.get(), resources->outputs[i]));
        if (!info || info->crtc == None)
            continue;
        CrtcInfo crtc(XRRGetCrtcInfo(display_, resources.get(), info->crtc));
        if (!crtc || crtc->mode == None)
            continue;
        const CRect rect{crtc->x, crtc->y, crtc->x + static_cast<int>(crtc->width),
                         crtc->y + static_cast<int>(crtc->height)};
        areas.push_back({QString::fromUtf8(info->name, info->nameLen), rect, rect});
    }
    return areas;
}

bool CXRandrDisplayBackend::CurrentDesktopSize(DesktopSize& size)
{
    if (!display_)
        return false;
    XSync(display_, False);
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        XRRUpdateConfiguration(&event);
    }
    const int screen = DefaultScreen(display_);
    size = {DisplayWidth(display_, screen), DisplayHeight(display_, screen), DisplayWidthMM(display_, screen),
            DisplayHeightMM(display_, screen)};
    return size.width > 0 && size.height > 0;
}

int CXRandrDisplayBackend::SetDesktopSize(const DesktopSize& size)
{
    if (!display_ || size.width <= 0 || size.height <= 0)
        return kDisplayChangeFailed;
    const double mmPerPixel = 25.4 / 96.0;
    const int widthMm = size.widthMm > 0 ? size.widthMm : static_cast<int>(size.width * mmPerPixel);
    const int heightMm = size.heightMm > 0 ? size.heightMm : static_cast<int>(size.height * mmPerPixel);
    XErrorTrap trap(display_);
    XRRSetScreenSize(display_, root_, size.width, size.height, widthMm, heightMm);
    return trap.Failed() ? kDisplayChangeFailed : kDisplayChangeSuccessful;
}

bool CXRandrDisplayBackend::ExtendTopology(int& result)
{
    // Each X output is its own device, so a device never mirrors several
    // monitors; there is nothing to undo here.
    result = 0;
    return false;
}
