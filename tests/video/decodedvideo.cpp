#include "decodedvideo.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace velaro::testing {

namespace {

QString avError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QString::fromLocal8Bit(text);
}

// Back to RGB with the coefficients the encoder tagged the video with.
QImage toPicture(const AVFrame* frame) {
  QImage picture(frame->width, frame->height, QImage::Format_RGB32);
  SwsContext* scaler = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                      frame->width, frame->height, AV_PIX_FMT_RGB32,
                                      SWS_BILINEAR | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
  if (scaler == nullptr) {
    return {};
  }
  const int space = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
  const int* table = sws_getCoefficients(space);
  sws_setColorspaceDetails(scaler, table, frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0, table, 1, 0,
                           1 << 16, 1 << 16);
  uint8_t* planes[1] = {picture.bits()};
  const int strides[1] = {static_cast<int>(picture.bytesPerLine())};
  sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
  sws_freeContext(scaler);
  return picture;
}

}  // namespace

DecodedVideo decodeVideo(const QString& path, const std::vector<int>& keep) {
  DecodedVideo out;
  AVFormatContext* format = nullptr;
  const QByteArray name = QFile::encodeName(path);
  int rc = avformat_open_input(&format, name.constData(), nullptr, nullptr);
  if (rc < 0) {
    out.error = avError(rc);
    return out;
  }
  AVCodecContext* codec = nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  const AVCodec* decoder = nullptr;
  int index = -1;
  auto receive = [&]() {
    while (avcodec_receive_frame(codec, frame) == 0) {
      if (std::find(keep.begin(), keep.end(), out.frames) != keep.end()) {
        out.pictures.push_back(toPicture(frame));
      }
      ++out.frames;
    }
  };
  rc = avformat_find_stream_info(format, nullptr);
  if (rc >= 0) {
    index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  }
  if (index < 0 || decoder == nullptr) {
    out.error = QStringLiteral("no video stream");
  } else {
    const AVStream* stream = format->streams[index];
    codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, stream->codecpar);
    rc = avcodec_open2(codec, decoder, nullptr);
    if (rc < 0) {
      out.error = avError(rc);
    } else {
      out.codec = QString::fromLatin1(decoder->name);
      out.container = QString::fromLatin1(format->iformat->name);
      out.width = codec->width;
      out.height = codec->height;
      out.fps = av_q2d(stream->avg_frame_rate);
      while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(codec, packet) >= 0) {
          receive();
        }
        av_packet_unref(packet);
      }
      avcodec_send_packet(codec, nullptr);
      receive();
      out.ok = true;
    }
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&codec);
  avformat_close_input(&format);
  return out;
}

double meanColourDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) {
    return 255;
  }
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  double sum = 0;
  for (int row = 0; row < x.height(); ++row) {
    const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
    const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
    for (int col = 0; col < x.width(); ++col) {
      sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
             std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
  }
  return sum / (3.0 * x.width() * x.height());
}

}  // namespace velaro::testing
