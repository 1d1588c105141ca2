// PNG, JPEG and GIF through their libraries. The libraries report fatal
// errors by longjmp: nothing with a destructor is created between setjmp
// and the end of the decoding in these functions.
#include "content/PictureLibraries.h"

#include <gif_lib.h>
#include <png.h>
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

bool SizeAllowed(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= CPicture::kMaxSide && height <= CPicture::kMaxSide
           && width * height <= CPictureDecoder::kMaxPixels;
}

// ---- PNG ----

struct PngInput
{
    const uint8_t* data;
    size_t size;
    size_t position;
};

void PngRead(png_structp png, png_bytep out, size_t count)
{
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    if (count > input->size - input->position)
        png_error(png, "truncated");
    std::memcpy(out, input->data + input->position, count);
    input->position += count;
}

void PngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// ---- JPEG ----

struct JpegError
{
    jpeg_error_mgr manager;
    jmp_buf jump;
    bool truncated;
};

void JpegExit(j_common_ptr info)
{
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void JpegMessage(j_common_ptr info, int level)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    if (level < 0 && error->manager.msg_code == JWRN_JPEG_EOF)
        error->truncated = true;
}

void JpegOutput(j_common_ptr) {}

// Progressive files can hold any number of scans, each a pass over the
// whole picture: a few hundred bytes could keep us busy for minutes.
constexpr int kMaxJpegScans = 200;

void JpegProgress(j_common_ptr info)
{
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans)
        longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

}  // namespace

int DecodePng(const uint8_t* data, size_t size, CPictureDecoder::Frame& frame)
{
    frame = {};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png)
        return 0;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return 0;
    }
    PngInput input{data, size, 0};
    CPicture& picture = frame.picture;
    std::vector<png_bytep> rows;
    volatile int ok = 0;  // read after a longjmp
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &input, PngRead);
        png_set_user_limits(png, CPicture::kMaxSide, CPicture::kMaxSide);
        png_set_chunk_malloc_max(png, 64u << 20);
        png_read_info(png, info);
        const png_uint_32 width = png_get_image_width(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        const int colourType = png_get_color_type(png, info);
        if (SizeAllowed(width, height)) {
            frame.hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
            png_set_strip_16(png);
            png_set_packing(png);
            if (colourType == PNG_COLOR_TYPE_PALETTE)
                png_set_palette_to_rgb(png);
            if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
                png_set_expand_gray_1_2_4_to_8(png);
            if (png_get_valid(png, info, PNG_INFO_tRNS))
                png_set_tRNS_to_alpha(png);
            if (!(colourType & PNG_COLOR_MASK_COLOR))
                png_set_gray_to_rgb(png);
            png_set_bgr(png);
            png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
            png_set_interlace_handling(png);
            png_read_update_info(png, info);
            if (png_get_rowbytes(png, info) == size_t(width) * 4) {
                picture.Resize(int(width), int(height));
                rows.resize(height);
                for (png_uint_32 y = 0; y < height; ++y)
                    rows[y] = reinterpret_cast<png_bytep>(picture.Row(int(y)));
                png_read_image(png, rows.data());
                png_read_end(png, nullptr);
                ok = 1;
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        frame = {};
        return 0;
    }
    if (!frame.hasAlpha)
        for (uint32_t& p : picture.pixels)
            p |= 0xFF000000u;
    return 1;
}

int DecodeJpeg(const uint8_t* data, size_t size, CPictureDecoder::Frame& frame)
{
    frame = {};
    jpeg_decompress_struct info;
    JpegError error;
    std::memset(&error, 0, sizeof error);
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegExit;
    error.manager.emit_message = JpegMessage;
    error.manager.output_message = JpegOutput;
    jpeg_progress_mgr progress;
    progress.progress_monitor = JpegProgress;
    CPicture& picture = frame.picture;
    std::vector<uint8_t> cmykRow;
    volatile int ok = 0;  // read after a longjmp
    if (setjmp(error.jump) == 0) {
        jpeg_create_decompress(&info);
        info.progress = &progress;
        jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
        jpeg_read_header(&info, TRUE);
        const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
        if (SizeAllowed(info.image_width, info.image_height)) {
            info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
            jpeg_start_decompress(&info);
            const int width = int(info.output_width);
            const int height = int(info.output_height);
            if (info.output_components == 4 && SizeAllowed(width, height)) {
                picture.Resize(width, height);
                if (cmyk)
                    cmykRow.resize(size_t(width) * 4);
                while (int(info.output_scanline) < height) {
                    JSAMPROW row = cmyk ? cmykRow.data()
                                        : reinterpret_cast<JSAMPROW>(picture.Row(int(info.output_scanline)));
                    const int y = int(info.output_scanline);
                    if (jpeg_read_scanlines(&info, &row, 1) != 1)
                        break;
                    if (cmyk) {
                        // Adobe writes CMYK inverted.
                        const bool inverted = info.saw_Adobe_marker;
                        uint32_t* out = picture.Row(y);
                        for (int x = 0; x < width; ++x) {
                            const uint8_t* p = cmykRow.data() + 4 * x;
                            uint32_t c = p[0], m = p[1], yy = p[2], k = p[3];
                            if (!inverted) {
                                c = 255 - c;
                                m = 255 - m;
                                yy = 255 - yy;
                                k = 255 - k;
                            }
                            out[x] = (yy * k / 255) | (m * k / 255) << 8 | (c * k / 255) << 16 | 0xFF000000u;
                        }
                    }
                }
                if (int(info.output_scanline) == height) {
                    jpeg_finish_decompress(&info);
                    ok = error.truncated ? 0 : 1;
                }
            }
        }
    }
    jpeg_destroy_decompress(&info);
    if (!ok) {
        frame = {};
        return 0;
    }
    for (uint32_t& p : picture.pixels)
        p |= 0xFF000000u;
    return 1;
}

// ---- GIF ----

struct CPictureDecoder::GifState
{
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t position = 0;
    GifFileType* gif = nullptr;
    int next = 0;             // the frame the next image record is
    CPicture canvas;          // as composed up to frame next - 1
    CPicture saved;           // the canvas before a frame that restores it
    int disposal = 0;         // of frame next - 1
    int left = 0, top = 0, right = 0, bottom = 0;  // its rectangle on the canvas
    std::vector<GifPixelType> line;

    ~GifState() { Close(); }
    void Close()
    {
        if (gif) {
            int error = 0;
            DGifCloseFile(gif, &error);
            gif = nullptr;
        }
    }
};

// Here, where the GIF state is complete.
CPictureDecoder::CPictureDecoder(QByteArray bytes)
    : bytes_(std::move(bytes))
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes_.constData());
    const size_t size = size_t(bytes_.size());
    format_ = DetectPictureFormat(data, size);
    if (format_ == PictureFormat::Gif)
        frameCount_ = CountGifFrames(data, size);
    else if (format_ != PictureFormat::Unknown)
        frameCount_ = 1;
}

CPictureDecoder::~CPictureDecoder() = default;

namespace {

int GifRead(GifFileType* gif, GifByteType* out, int count)
{
    auto* state = static_cast<CPictureDecoder::GifState*>(gif->UserData);
    const size_t n = std::min(size_t(std::max(count, 0)), state->size - state->position);
    std::memcpy(out, state->data + state->position, n);
    state->position += n;
    return int(n);
}

bool OpenGif(CPictureDecoder::GifState& state)
{
    state.Close();
    state.position = 0;
    int error = 0;
    state.gif = DGifOpen(&state, GifRead, &error);
    state.next = 0;
    state.canvas = CPicture();
    state.disposal = 0;
    return state.gif != nullptr;
}

// Skips the rest of an image's data blocks.
bool SkipImageData(GifFileType* gif)
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
        return false;
    while (block) {
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
            return false;
    }
    return true;
}

// The control of the next image: delay (centiseconds), disposal, transparent index.
struct GifControl
{
    int delay = 0;
    int disposal = 0;
    int transparent = -1;
};

bool ReadExtension(GifFileType* gif, GifControl& control)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
        control.disposal = (block[1] >> 2) & 7;
        control.delay = block[2] | block[3] << 8;
        control.transparent = (block[1] & 1) ? block[4] : -1;
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
    }
    return true;
}

// giflib keeps a record of every image descriptor read; dropped at once so
// that files of many frames cost no memory.
void ForgetSavedImages(GifFileType* gif)
{
    GifFreeSavedImages(gif);
    gif->SavedImages = nullptr;
    gif->ImageCount = 0;
}

}  // namespace

int CountGifFrames(const uint8_t* data, size_t size)
{
    CPictureDecoder::GifState state;
    state.data = data;
    state.size = size;
    if (!OpenGif(state))
        return 0;
    int frames = 0;
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    GifControl control;
    while (frames < kMaxGifFrames && DGifGetRecordType(state.gif, &type) != GIF_ERROR && type != TERMINATE_RECORD_TYPE) {
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(state.gif) == GIF_ERROR)
                break;
            ForgetSavedImages(state.gif);
            if (!SkipImageData(state.gif))
                break;
            ++frames;
        } else if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(state.gif, control))
                break;
        } else {
            break;
        }
    }
    return frames;
}

int DecodeGifFrame(const uint8_t* data, size_t size, int index, std::unique_ptr<CPictureDecoder::GifState>& held,
                   CPictureDecoder::Frame& frame)
{
    frame = {};
    if (!held) {
        held = std::make_unique<CPictureDecoder::GifState>();
        held->data = data;
        held->size = size;
    }
    CPictureDecoder::GifState& s = *held;
    if (!s.gif || index < s.next) {
        if (!OpenGif(s))
            return 0;
    }
    GifFileType* gif = s.gif;
    GifControl control;
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    while (true) {
        if (DGifGetRecordType(gif, &type) == GIF_ERROR || type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(gif, control))
                break;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) == GIF_ERROR)
            break;
        const GifImageDesc desc = gif->Image;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        const int colours = map ? map->ColorCount : 0;
        std::vector<uint32_t> palette(size_t(std::max(colours, 0)));
        for (int i = 0; i < colours; ++i) {
            const GifColorType& c = map->Colors[i];
            palette[size_t(i)] = uint32_t(c.Blue) | uint32_t(c.Green) << 8 | uint32_t(c.Red) << 16 | 0xFF000000u;
        }
        ForgetSavedImages(gif);

        if (s.canvas.IsEmpty()) {
            // The screen, grown to the first image where it is too small.
            const int64_t w = std::max<int64_t>(gif->SWidth, int64_t(desc.Left) + desc.Width);
            const int64_t h = std::max<int64_t>(gif->SHeight, int64_t(desc.Top) + desc.Height);
            if (!SizeAllowed(w, h))
                break;
            s.canvas.Resize(int(w), int(h));
            std::fill(s.canvas.pixels.begin(), s.canvas.pixels.end(), 0u);
        }
        // What the previous frame asked to leave behind.
        if (s.disposal == 2) {
            for (int y = s.top; y < s.bottom; ++y)
                std::fill(s.canvas.Row(y) + s.left, s.canvas.Row(y) + s.right, 0u);
        } else if (s.disposal == 3 && s.saved.width == s.canvas.width && s.saved.height == s.canvas.height) {
            s.canvas.pixels = s.saved.pixels;
        }
        if (control.disposal == 3)
            s.saved = s.canvas;
        s.disposal = control.disposal;
        s.left = std::clamp(desc.Left, 0, s.canvas.width);
        s.top = std::clamp(desc.Top, 0, s.canvas.height);
        s.right = std::clamp(desc.Left + desc.Width, s.left, s.canvas.width);
        s.bottom = std::clamp(desc.Top + desc.Height, s.top, s.canvas.height);

        bool complete = true;
        if (desc.Width > 0 && desc.Height > 0) {
            if (!map) {
                complete = false;
            } else {
                s.line.resize(size_t(desc.Width));
                static const int kPassStart[4] = {0, 4, 2, 1};
                static const int kPassStep[4] = {8, 8, 4, 2};
                const int passes = desc.Interlace ? 4 : 1;
                for (int pass = 0; pass < passes && complete; ++pass) {
                    const int start = desc.Interlace ? kPassStart[pass] : 0;
                    const int step = desc.Interlace ? kPassStep[pass] : 1;
                    for (int row = start; row < desc.Height; row += step) {
                        if (DGifGetLine(gif, s.line.data(), desc.Width) == GIF_ERROR) {
                            complete = false;
                            break;
                        }
                        const int y = desc.Top + row;
                        if (y < s.top || y >= s.bottom)
                            continue;
                        uint32_t* out = s.canvas.Row(y);
                        for (int x = s.left; x < s.right; ++x) {
                            const int i = s.line[size_t(x - desc.Left)];
                            // The transparent colour and indexes beyond the
                            // colour table leave the canvas as it is.
                            if (i != control.transparent && i < colours)
                                out[x] = palette[size_t(i)];
                        }
                    }
                }
            }
        } else if (!SkipImageData(gif)) {
            complete = false;
        }
        if (!complete)
            break;
        const int shown = s.next++;
        if (shown == index) {
            frame.picture = s.canvas;
            frame.hasAlpha = true;
            // Browsers show frames of no delay (or 10 ms) for 100 ms.
            frame.delayMs = control.delay <= 1 ? 100 : control.delay * 10;
            return 1;
        }
        control = GifControl();
    }
    s.Close();  // broken or past the end: the next call starts over
    return 0;
}
