#include "support/movie_decoder_av.h"

#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

struct TDecoder {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;
  ~TDecoder() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }

  QImage ToRgb() {
    if (!scaler) {
      scaler = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width, frame->height,
                              AV_PIX_FMT_RGB24, SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr,
                              nullptr);
      if (!scaler) return QImage();
      const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
      sws_setColorspaceDetails(scaler, bt709, 0, bt709, 1, 0, 1 << 16, 1 << 16);
    }
    QImage rgb(frame->width, frame->height, QImage::Format_RGB888);
    uint8_t* dst[1] = {rgb.bits()};
    const int stride[1] = {int(rgb.bytesPerLine())};
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, dst, stride);
    return rgb;
  }

  // Takes every frame the decoder has ready.
  bool Drain(TDecodedMovie& movie) {
    for (;;) {
      const int r = avcodec_receive_frame(codec, frame);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
      if (r < 0) return false;
      movie.frames.push_back(ToRgb());
      if (movie.frames.back().isNull()) return false;
    }
  }
};

}  // namespace

bool DecodeMovie(const std::string& path, TDecodedMovie& movie, std::string& error) {
  movie = TDecodedMovie();
  TDecoder d;
  if (avformat_open_input(&d.format, path.c_str(), nullptr, nullptr) < 0 ||
      avformat_find_stream_info(d.format, nullptr) < 0) {
    error = "cannot open " + path;
    return false;
  }
  const AVCodec* decoder = nullptr;
  const int index = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (index < 0 || !decoder) {
    error = "no video stream in " + path;
    return false;
  }
  const AVStream* stream = d.format->streams[index];
  d.codec = avcodec_alloc_context3(decoder);
  d.codec->thread_count = 1;
  if (avcodec_parameters_to_context(d.codec, stream->codecpar) < 0 || avcodec_open2(d.codec, decoder, nullptr) < 0) {
    error = "cannot decode " + path;
    return false;
  }
  movie.container = d.format->iformat->name;
  movie.codec = decoder->name;
  const char* pix = av_get_pix_fmt_name(AVPixelFormat(stream->codecpar->format));
  movie.pixel_format = pix ? pix : "";
  movie.width = stream->codecpar->width;
  movie.height = stream->codecpar->height;
  movie.fps = av_q2d(stream->avg_frame_rate);
  d.frame = av_frame_alloc();
  d.packet = av_packet_alloc();
  while (av_read_frame(d.format, d.packet) >= 0) {
    const bool ours = d.packet->stream_index == index;
    const bool sent = !ours || avcodec_send_packet(d.codec, d.packet) >= 0;
    av_packet_unref(d.packet);
    if (!sent || (ours && !d.Drain(movie))) {
      error = "decoding failed in " + path;
      return false;
    }
  }
  avcodec_send_packet(d.codec, nullptr);
  if (!d.Drain(movie)) {
    error = "decoding failed at the end of " + path;
    return false;
  }
  return true;
}

double Psnr(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(QImage::Format_RGB888);
  const int w = std::min(x.width(), y.width()), h = std::min(x.height(), y.height());
  double sum = 0;
  for (int row = 0; row < h; ++row) {
    const uchar *p = x.constScanLine(row), *q = y.constScanLine(row);
    for (int i = 0; i < 3 * w; ++i) sum += double(p[i] - q[i]) * (p[i] - q[i]);
  }
  if (w <= 0 || h <= 0) return 0;
  const double mse = sum / (3.0 * w * h);
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}
