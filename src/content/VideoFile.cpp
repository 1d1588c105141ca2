#include "content/VideoFile.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>

struct CVideoFile::State
{
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwsContext* scaler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    bool flushed = false;  // the end of the input was handed to the decoder
    bool finished = false;

    ~State()
    {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

CVideoFile::CVideoFile() = default;
CVideoFile::~CVideoFile() = default;

bool IsVideoExtension(const QString& extension)
{
    static const char* const kVideos[] = {".avi", ".mov", ".mp4", ".m4v", ".mkv", ".webm", ".mpg",
                                          ".mpeg", ".ts", ".mxf", ".wmv", ".flv"};
    for (const char* video : kVideos)
        if (extension == QLatin1String(video))
            return true;
    return false;
}

int CVideoFile::Open(const QString& path, int64_t maxPixels)
{
    state_.reset();
    {
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly))
            return kOpenFailed;
    }
    auto s = std::make_unique<State>();
    // Local files only: neither the name nor a playlist inside the file may
    // reach out to the network or to other protocols.
    const QByteArray name = "file:" + QFile::encodeName(path);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int opened = avformat_open_input(&s->format, name.constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return kNotDecodable;
    if (avformat_find_stream_info(s->format, nullptr) < 0)
        return kNotDecodable;
    for (unsigned i = 0; i < s->format->nb_streams; ++i) {
        if (s->format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            s->stream = int(i);
            break;
        }
    }
    if (s->stream < 0)
        return kNotDecodable;
    AVStream* stream = s->format->streams[s->stream];
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return kNotDecodable;
    s->codec = avcodec_alloc_context3(decoder);
    if (!s->codec || avcodec_parameters_to_context(s->codec, stream->codecpar) < 0)
        return kNotDecodable;
    s->codec->max_pixels = maxPixels;
    s->codec->thread_count = 0;
    if (avcodec_open2(s->codec, decoder, nullptr) < 0)
        return kNotDecodable;
    s->packet = av_packet_alloc();
    s->frame = av_frame_alloc();
    if (!s->packet || !s->frame)
        return kNotDecodable;

    width = stream->codecpar->width;
    height = stream->codecpar->height;
    // The frame rate as rate / scale; the time base only when no rate is known.
    AVRational fps = stream->avg_frame_rate;
    if (fps.num <= 0 || fps.den <= 0)
        fps = stream->r_frame_rate;
    if (fps.num <= 0 || fps.den <= 0)
        fps = AVRational{stream->time_base.den, stream->time_base.num};
    rate = fps.num > 0 && fps.den > 0 ? fps.num : 0;
    scale = fps.num > 0 && fps.den > 0 ? fps.den : 0;
    length = std::max<int64_t>(stream->nb_frames, 0);
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(AVPixelFormat(stream->codecpar->format));
    hasAlpha = pixels && (pixels->flags & AV_PIX_FMT_FLAG_ALPHA);
    state_ = std::move(s);
    return kOpened;
}

int CVideoFile::FrameDurationMs() const
{
    if (rate <= 0)
        return 1;
    return int(std::clamp<int64_t>(scale * 1000 / rate, 1, 3600 * 1000));
}

int CVideoFile::ReadFrame(CPicture& picture)
{
    if (!state_ || state_->finished)
        return 0;
    State& s = *state_;
    while (true) {
        const int received = avcodec_receive_frame(s.codec, s.frame);
        if (received == 0) {
            const int w = s.frame->width, h = s.frame->height;
            if (w <= 0 || h <= 0 || int64_t(w) * h > s.codec->max_pixels)
                return -1;
            const AVPixelFormat format = AVPixelFormat(s.frame->format);
            s.scaler = sws_getCachedContext(s.scaler, w, h, format, w, h, AV_PIX_FMT_BGRA, SWS_POINT, nullptr,
                                            nullptr, nullptr);
            if (!s.scaler)
                return -1;
            picture.Resize(w, h);
            uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(picture.pixels.data()), nullptr, nullptr, nullptr};
            int strides[4] = {w * 4, 0, 0, 0};
            const int rows = sws_scale(s.scaler, s.frame->data, s.frame->linesize, 0, h, planes, strides);
            av_frame_unref(s.frame);
            if (rows != h)
                return -1;
            const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
            if (!d || !(d->flags & AV_PIX_FMT_FLAG_ALPHA))
                for (uint32_t& p : picture.pixels)
                    p |= 0xFF000000u;
            return 1;
        }
        if (received == AVERROR_EOF) {
            s.finished = true;
            return 0;
        }
        if (received != AVERROR(EAGAIN))
            return -1;
        if (s.flushed) {
            s.finished = true;
            return 0;
        }
        // The decoder wants input: the next packet of our stream.
        const int read = av_read_frame(s.format, s.packet);
        if (read < 0) {
            s.flushed = true;
            avcodec_send_packet(s.codec, nullptr);
            continue;
        }
        if (s.packet->stream_index == s.stream) {
            const int sent = avcodec_send_packet(s.codec, s.packet);
            av_packet_unref(s.packet);
            // A damaged packet is skipped, as players do.
            if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA)
                return -1;
        } else {
            av_packet_unref(s.packet);
        }
    }
}
