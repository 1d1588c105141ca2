#include "content/VideoWriter.h"

#include "model/Picture.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace {

QString AvErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

struct CodecChoice
{
    AVCodecID codec;
    AVPixelFormat format;
};

bool ChooseCodec(const QString& path, CodecChoice& choice)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mov")) {
        choice = {AV_CODEC_ID_QTRLE, AV_PIX_FMT_ARGB};
        return true;
    }
    if (suffix == QLatin1String("mkv") || suffix == QLatin1String("avi")) {
        choice = {AV_CODEC_ID_FFV1, AV_PIX_FMT_BGRA};
        return true;
    }
    return false;
}

}  // namespace

struct CVideoWriter::Impl
{
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    QString finalPath;
    QString partPath;
    int64_t nextPts = 0;
    bool headerWritten = false;

    ~Impl()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format) {
            if (format->pb)
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }

    // Sends one frame (nullptr flushes) and writes every packet that is ready.
    int Encode(AVFrame* input)
    {
        int result = avcodec_send_frame(codec, input);
        if (result < 0)
            return result;
        for (;;) {
            result = avcodec_receive_packet(codec, packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return 0;
            if (result < 0)
                return result;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(format, packet);
            if (result < 0)
                return result;
        }
    }
};

CVideoWriter::CVideoWriter() = default;

CVideoWriter::~CVideoWriter()
{
    Discard();
}

void CVideoWriter::Discard()
{
    if (!impl_)
        return;
    const QString part = impl_->partPath;
    impl_.reset();
    if (!part.isEmpty())
        QFile::remove(part);
}

bool CVideoWriter::CanWrite(const QString& path)
{
    CodecChoice choice{};
    return ChooseCodec(path, choice);
}

bool CVideoWriter::Open(const QString& path, int width, int height, int rateNumerator, int rateDenominator)
{
    Discard();
    error_.clear();
    CodecChoice choice{};
    if (!ChooseCodec(path, choice)) {
        error_ = QStringLiteral("video files must end in .mov, .mkv or .avi: %1").arg(path);
        return false;
    }
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || rateNumerator <= 0 || rateDenominator <= 0) {
        error_ = QStringLiteral("video size or rate out of range");
        return false;
    }
    auto impl = std::make_unique<Impl>();
    impl->finalPath = path;
    impl->partPath = path + QStringLiteral(".part");
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toUtf8();
    const QByteArray partName = QFile::encodeName(impl->partPath);
    // The container follows the final name; the file being written ends in ".part".
    const AVOutputFormat* container = av_guess_format(nullptr, QFile::encodeName(path).constData(), nullptr);
    int result = container ? avformat_alloc_output_context2(&impl->format, container, nullptr, partName.constData())
                           : AVERROR_MUXER_NOT_FOUND;
    if (result < 0 || !impl->format) {
        error_ = QStringLiteral("cannot write %1 files: %2").arg(QString::fromUtf8(suffix), AvErrorText(result));
        return false;
    }
    const AVCodec* encoder = avcodec_find_encoder(choice.codec);
    if (!encoder) {
        error_ = QStringLiteral("this FFmpeg has no encoder for %1 files").arg(QString::fromUtf8(suffix));
        return false;
    }
    impl->stream = avformat_new_stream(impl->format, nullptr);
    impl->codec = avcodec_alloc_context3(encoder);
    impl->frame = av_frame_alloc();
    impl->packet = av_packet_alloc();
    if (!impl->stream || !impl->codec || !impl->frame || !impl->packet) {
        error_ = QStringLiteral("out of memory");
        return false;
    }
    impl->codec->width = width;
    impl->codec->height = height;
    impl->codec->pix_fmt = choice.format;
    impl->codec->time_base = AVRational{rateDenominator, rateNumerator};
    impl->codec->framerate = AVRational{rateNumerator, rateDenominator};
    impl->codec->gop_size = 1;
    if (impl->format->oformat->flags & AVFMT_GLOBALHEADER)
        impl->codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (choice.codec == AV_CODEC_ID_FFV1)
        av_opt_set_int(impl->codec->priv_data, "slices", 4, 0);
    result = avcodec_open2(impl->codec, encoder, nullptr);
    if (result < 0) {
        error_ = QStringLiteral("cannot start the encoder: %1").arg(AvErrorText(result));
        return false;
    }
    result = avcodec_parameters_from_context(impl->stream->codecpar, impl->codec);
    if (result < 0) {
        error_ = AvErrorText(result);
        return false;
    }
    impl->stream->time_base = impl->codec->time_base;
    impl->stream->avg_frame_rate = impl->codec->framerate;
    impl->frame->format = choice.format;
    impl->frame->width = width;
    impl->frame->height = height;
    result = av_frame_get_buffer(impl->frame, 0);
    if (result >= 0)
        result = avio_open(&impl->format->pb, partName.constData(), AVIO_FLAG_WRITE);
    if (result >= 0)
        result = avformat_write_header(impl->format, nullptr);
    if (result < 0) {
        error_ = QStringLiteral("cannot write %1: %2").arg(impl->partPath, AvErrorText(result));
        const QString part = impl->partPath;
        impl.reset();
        QFile::remove(part);
        return false;
    }
    impl->headerWritten = true;
    impl_ = std::move(impl);
    return true;
}

bool CVideoWriter::WriteFrame(const CPicture& picture)
{
    if (!impl_ || !impl_->headerWritten) {
        error_ = QStringLiteral("no video file is open");
        return false;
    }
    Impl& d = *impl_;
    if (picture.width != d.codec->width || picture.height != d.codec->height) {
        error_ = QStringLiteral("frame of %1 x %2 in a video of %3 x %4")
                     .arg(picture.width)
                     .arg(picture.height)
                     .arg(d.codec->width)
                     .arg(d.codec->height);
        return false;
    }
    int result = av_frame_make_writable(d.frame);
    if (result < 0) {
        error_ = AvErrorText(result);
        return false;
    }
    const bool argb = d.codec->pix_fmt == AV_PIX_FMT_ARGB;
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* from = reinterpret_cast<const uint8_t*>(picture.Row(y));
        uint8_t* to = d.frame->data[0] + static_cast<ptrdiff_t>(y) * d.frame->linesize[0];
        if (!argb) {
            std::memcpy(to, from, static_cast<size_t>(picture.width) * 4);
            continue;
        }
        for (int x = 0; x < picture.width; ++x) {  // B,G,R,A bytes to A,R,G,B
            to[4 * x + 0] = from[4 * x + 3];
            to[4 * x + 1] = from[4 * x + 2];
            to[4 * x + 2] = from[4 * x + 1];
            to[4 * x + 3] = from[4 * x + 0];
        }
    }
    d.frame->pts = d.nextPts++;
    result = d.Encode(d.frame);
    if (result < 0) {
        error_ = QStringLiteral("cannot encode frame %1: %2").arg(d.nextPts - 1).arg(AvErrorText(result));
        return false;
    }
    return true;
}

bool CVideoWriter::Close()
{
    if (!impl_ || !impl_->headerWritten) {
        error_ = QStringLiteral("no video file is open");
        impl_.reset();
        return false;
    }
    Impl& d = *impl_;
    int result = d.Encode(nullptr);
    if (result >= 0)
        result = av_write_trailer(d.format);
    if (result >= 0)
        result = avio_closep(&d.format->pb);
    if (result < 0) {
        error_ = QStringLiteral("cannot finish %1: %2").arg(d.finalPath, AvErrorText(result));
        Discard();
        return false;
    }
    const QString part = d.partPath;
    const QString final = d.finalPath;
    d.partPath.clear();
    impl_.reset();
    // rename() replaces an existing file in one step.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(final).constData()) != 0) {
        QFile::remove(part);
        error_ = QStringLiteral("cannot replace %1").arg(final);
        return false;
    }
    return true;
}
