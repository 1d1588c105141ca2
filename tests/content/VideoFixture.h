#pragma once

// Video files written by the tests through the FFmpeg libraries.
#include "model/Picture.h"

#include <QFile>
#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <functional>

namespace fixtures {

// Writes `count` frames of width x height at `fps` frames per second with
// the encoder `codecName` in its pixel format `format`; the container
// follows the file's extension. frameAt(i) gives frame i (B, G, R, A).
// Returns false when any step fails. bitRate 0 leaves the encoder's default.
inline bool WriteVideo(const QString& path, const char* codecName, AVPixelFormat format, int width, int height,
                       int fps, int count, const std::function<CPicture(int)>& frameAt, int64_t bitRate = 0)
{
    const QByteArray name = QFile::encodeName(path);
    AVFormatContext* out = nullptr;
    if (avformat_alloc_output_context2(&out, nullptr, nullptr, name.constData()) < 0)
        return false;
    const AVCodec* codec = avcodec_find_encoder_by_name(codecName);
    AVStream* stream = codec ? avformat_new_stream(out, nullptr) : nullptr;
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    bool ok = stream && context;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    SwsContext* scaler = nullptr;
    if (ok) {
        context->width = width;
        context->height = height;
        context->pix_fmt = format;
        context->time_base = AVRational{1, fps};
        context->framerate = AVRational{fps, 1};
        context->gop_size = 10;
        if (bitRate > 0)
            context->bit_rate = bitRate;
        if (out->oformat->flags & AVFMT_GLOBALHEADER)
            context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        ok = avcodec_open2(context, codec, nullptr) >= 0 && avcodec_parameters_from_context(stream->codecpar, context) >= 0;
        stream->time_base = context->time_base;
        stream->avg_frame_rate = context->framerate;
    }
    ok = ok && avio_open(&out->pb, name.constData(), AVIO_FLAG_WRITE) >= 0;
    ok = ok && avformat_write_header(out, nullptr) >= 0;
    if (ok) {
        frame->format = format;
        frame->width = width;
        frame->height = height;
        ok = av_frame_get_buffer(frame, 0) >= 0;
        scaler = sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, format, SWS_POINT, nullptr, nullptr,
                                nullptr);
        ok = ok && scaler;
    }
    auto drain = [&]() {
        while (avcodec_receive_packet(context, packet) == 0) {
            av_packet_rescale_ts(packet, context->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (av_interleaved_write_frame(out, packet) < 0)
                ok = false;
        }
    };
    for (int i = 0; ok && i < count; ++i) {
        const CPicture picture = frameAt(i);
        ok = av_frame_make_writable(frame) >= 0;
        const uint8_t* planes[1] = {reinterpret_cast<const uint8_t*>(picture.pixels.data())};
        const int strides[1] = {width * 4};
        sws_scale(scaler, planes, strides, 0, height, frame->data, frame->linesize);
        frame->pts = i;
        ok = ok && avcodec_send_frame(context, frame) >= 0;
        drain();
    }
    if (ok) {
        avcodec_send_frame(context, nullptr);
        drain();
        ok = av_write_trailer(out) >= 0;
    }
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    if (out && out->pb)
        avio_closep(&out->pb);
    avformat_free_context(out);
    return ok;
}

// A frame of one colour with a bar whose position follows i, so that no
// two consecutive frames are alike.
inline CPicture MovingBar(int width, int height, int i, uint32_t background = 0xFF204060u)
{
    CPicture picture(width, height);
    std::fill(picture.pixels.begin(), picture.pixels.end(), background);
    const int x = (i * 4) % width;
    for (int y = 0; y < height; ++y)
        for (int dx = 0; dx < 4 && x + dx < width; ++dx)
            picture.Row(y)[x + dx] = 0xFFFFFFFFu;
    return picture;
}

}  // namespace fixtures
