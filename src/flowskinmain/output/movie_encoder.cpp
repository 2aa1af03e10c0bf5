#include "output/movie_encoder.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/cpu.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

QString AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {0};
  av_strerror(code, text, sizeof text);
  return QString::fromLocal8Bit(text);
}

// A new empty file beside `path` (same folder, so the final rename stays on
// one file system), ".<name>.<process>-<n>.part", made with the usual
// permissions. Empty with errno set when it cannot be made.
QByteArray MakeTemporaryBeside(const QString& path) {
  const QFileInfo info(path);
  for (int n = 0; n < 100; ++n) {
    const QByteArray name =
        QString("%1/.%2.%3-%4.part").arg(info.absolutePath(), info.fileName()).arg(getpid()).arg(n).toLocal8Bit();
    const int fd = open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  return QByteArray();
}

// The processor features the H.264 encoder may use: those the processor has,
// short of its 512-bit vector routines, which give different bytes from one
// encoding of the same frames to the next (small pictures with B-frames).
// Empty (the encoder's own choice) on other processors.
QByteArray X264CpuFlags() {
#if defined(__x86_64__) || defined(__i386__)
  const int flags = av_get_cpu_flags();
  struct TName {
    int flag;
    const char* name;  // each name brings the features below it
  };
  const TName names[] = {{AV_CPU_FLAG_MMXEXT, "MMX2"}, {AV_CPU_FLAG_SSE, "SSE"},      {AV_CPU_FLAG_SSE2, "SSE2"},
                         {AV_CPU_FLAG_SSE3, "SSE3"},   {AV_CPU_FLAG_SSSE3, "SSSE3"},  {AV_CPU_FLAG_SSSE3, "SSE2Fast"},
                         {AV_CPU_FLAG_SSE4, "SSE4.1"}, {AV_CPU_FLAG_SSE42, "SSE4.2"}, {AV_CPU_FLAG_AVX, "AVX"},
                         {AV_CPU_FLAG_XOP, "XOP"},     {AV_CPU_FLAG_FMA4, "FMA4"},    {AV_CPU_FLAG_FMA3, "FMA3"},
                         {AV_CPU_FLAG_BMI2, "BMI2"},   {AV_CPU_FLAG_AVX2, "AVX2"}};
  QByteArray list;
  for (const TName& n : names)
    if (flags & n.flag) list += (list.isEmpty() ? "" : ",") + QByteArray(n.name);
  // No feature at all: the plain routines ("asm=0"), not the encoder's detection.
  return "asm=" + (list.isEmpty() ? QByteArray("0") : list);
#else
  return QByteArray();
#endif
}

}  // namespace

TMovieKind MovieKindOf(const QString& path) {
  if (path.endsWith(".mp4", Qt::CaseInsensitive)) return TMovieKind::Mp4;
  if (path.endsWith(".webm", Qt::CaseInsensitive)) return TMovieKind::WebM;
  return TMovieKind::None;
}

int32_t MovieCrf(TMovieKind kind, int32_t quality) {
  const int32_t q = quality < 0 ? 0 : quality > 100 ? 100 : quality;
  const int32_t worst = kind == TMovieKind::WebM ? 63 : 51;
  return int32_t(std::lrint(worst * (100 - q) / 100.0));
}

QImage PaddedToEven(const QImage& frame) {
  const QImage bgr = frame.format() == QImage::Format_BGR888 ? frame : frame.convertToFormat(QImage::Format_BGR888);
  const int w = bgr.width(), h = bgr.height();
  if (w % 2 == 0 && h % 2 == 0) return bgr;
  QImage out(w + w % 2, h + h % 2, QImage::Format_BGR888);
  for (int y = 0; y < out.height(); ++y) {
    const uchar* src = bgr.constScanLine(y < h ? y : h - 1);
    uchar* dst = out.scanLine(y);
    std::memcpy(dst, src, size_t(w) * 3);
    if (out.width() > w) std::memcpy(dst + size_t(w) * 3, src + size_t(w - 1) * 3, 3);
  }
  return out;
}

struct TMovieEncoder::TState {
  QString path;          // final name
  QByteArray temp;       // the file being written
  int32_t w = 0, h = 0;  // frame size as opened
  int32_t frames = 0;
  AVFormatContext* format = nullptr;
  AVStream* stream = nullptr;
  AVCodecContext* codec = nullptr;
  SwsContext* scaler = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  std::vector<uint8_t> rows;  // the frame's rows as the scaler reads them

  ~TState() {
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
    if (!temp.isEmpty()) std::remove(temp.constData());
  }

  // Sends `in` (null: the end of the stream) and writes every packet the
  // encoder gives back. An AVERROR code on failure, 0 otherwise.
  int Encode(const AVFrame* in) {
    int r = avcodec_send_frame(codec, in);
    while (r >= 0) {
      r = avcodec_receive_packet(codec, packet);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return 0;
      if (r < 0) return r;
      if (packet->duration <= 0) packet->duration = 1;  // one frame, so the last one counts in the length
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      r = av_interleaved_write_frame(format, packet);  // takes the packet's data
      if (r >= 0 && format->pb->error < 0) r = format->pb->error;
    }
    return r;
  }

  // Encoder for `kind` with the fixed settings that make runs repeatable:
  // one thread, bit-exact output, a key frame every 5 s, BT.709 tags.
  int OpenCodec(TMovieKind kind, const TMovieSettings& settings, QString& reason) {
    const char* name = kind == TMovieKind::Mp4 ? "libx264" : "libvpx-vp9";
    const AVCodec* encoder = avcodec_find_encoder_by_name(name);
    if (!encoder) {
      reason = QString("the FFmpeg libraries have no %1 encoder").arg(name);
      return AVERROR_ENCODER_NOT_FOUND;
    }
    codec = avcodec_alloc_context3(encoder);
    if (!codec) return AVERROR(ENOMEM);
    codec->width = w + w % 2;
    codec->height = h + h % 2;
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->time_base = AVRational{1, settings.fps};
    codec->framerate = AVRational{settings.fps, 1};
    codec->gop_size = 5 * settings.fps;
    codec->thread_count = 1;
    codec->flags |= AV_CODEC_FLAG_BITEXACT;
    if (format->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    codec->color_range = AVCOL_RANGE_MPEG;
    codec->colorspace = AVCOL_SPC_BT709;
    codec->color_primaries = AVCOL_PRI_BT709;
    codec->color_trc = AVCOL_TRC_BT709;
    AVDictionary* options = nullptr;
    const QByteArray crf = QByteArray::number(MovieCrf(kind, settings.quality));
    av_dict_set(&options, "crf", crf.constData(), 0);
    if (kind == TMovieKind::Mp4) {
      av_dict_set(&options, "preset", "faster", 0);
      const QByteArray cpu = X264CpuFlags();
      if (!cpu.isEmpty()) av_dict_set(&options, "x264-params", cpu.constData(), 0);
    } else {
      codec->bit_rate = 0;  // constant quality
      av_dict_set(&options, "deadline", "good", 0);
      av_dict_set(&options, "cpu-used", "4", 0);
      av_dict_set(&options, "row-mt", "0", 0);
    }
    const int r = avcodec_open2(codec, encoder, &options);
    av_dict_free(&options);
    if (r < 0) return r;
    return avcodec_parameters_from_context(stream->codecpar, codec);
  }

  // The container on the temporary file, its header written.
  int OpenContainer(TMovieKind kind, const TMovieSettings& settings, QString& reason) {
    const char* muxer = kind == TMovieKind::Mp4 ? "mp4" : "webm";
    int r = avformat_alloc_output_context2(&format, nullptr, muxer, temp.constData());
    if (r < 0) return r;
    format->flags |= AVFMT_FLAG_BITEXACT;
    stream = avformat_new_stream(format, nullptr);
    if (!stream) return AVERROR(ENOMEM);
    if ((r = OpenCodec(kind, settings, reason)) < 0) return r;
    stream->time_base = codec->time_base;
    if ((r = avio_open(&format->pb, temp.constData(), AVIO_FLAG_WRITE)) < 0) return r;
    AVDictionary* options = nullptr;
    // The index at the front, so that browsers start playing before the whole file is loaded.
    if (kind == TMovieKind::Mp4) av_dict_set(&options, "movflags", "+faststart", 0);
    r = avformat_write_header(format, &options);
    av_dict_free(&options);
    return r;
  }

  // Scaler from the 24-bit frames to limited-range BT.709 4:2:0, the frame
  // that holds the converted picture and the packet the encoder fills.
  int OpenPictures() {
    const int pw = codec->width, ph = codec->height;
    scaler = sws_getContext(pw, ph, AV_PIX_FMT_BGR24, pw, ph, AV_PIX_FMT_YUV420P,
                            SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
    frame = av_frame_alloc();
    packet = av_packet_alloc();
    if (!scaler || !frame || !packet) return AVERROR(ENOMEM);
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = pw;
    frame->height = ph;
    return av_frame_get_buffer(frame, 0);
  }
};

TMovieEncoder::TMovieEncoder() = default;
TMovieEncoder::~TMovieEncoder() { Abort(); }

bool TMovieEncoder::IsOpen() const { return s_ != nullptr; }
int32_t TMovieEncoder::FramesWritten() const { return s_ ? s_->frames : 0; }

void TMovieEncoder::Abort() { s_.reset(); }

bool TMovieEncoder::Fail(const QString& reason, QString& error) {
  error = QString("Cannot write %1: %2").arg(s_ ? s_->path : QString(), reason);
  Abort();
  return false;
}

bool TMovieEncoder::Open(const QString& path, int32_t w, int32_t h, const TMovieSettings& settings, QString& error) {
  Abort();
  av_log_set_level(AV_LOG_ERROR);  // the libraries' own reports: errors only
  s_ = std::make_unique<TState>();
  s_->path = path;
  s_->w = w;
  s_->h = h;
  const TMovieKind kind = MovieKindOf(path);
  if (kind == TMovieKind::None) return Fail("a movie name ends in .mp4 or .webm", error);
  if (w < 2 || h < 2 || w > 8192 || h > 8192)
    return Fail(QString("a movie frame of %1 x %2 pixels is outside 2..8192").arg(w).arg(h), error);
  if (settings.fps < kMovieFpsMin || settings.fps > kMovieFpsMax)
    return Fail(QString("%1 frames per second is outside %2..%3").arg(settings.fps).arg(kMovieFpsMin).arg(kMovieFpsMax),
                error);
  s_->temp = MakeTemporaryBeside(path);
  if (s_->temp.isEmpty()) return Fail(QString::fromLocal8Bit(std::strerror(errno)), error);
  QString reason;
  int r = s_->OpenContainer(kind, settings, reason);
  if (r >= 0) r = s_->OpenPictures();
  if (r < 0) return Fail(reason.isEmpty() ? AvError(r) : reason, error);
  return true;
}

bool TMovieEncoder::AddFrame(const QImage& picture, QString& error) {
  if (!s_) {
    error = "Cannot write a movie that is not open";
    return false;
  }
  if (picture.width() != s_->w || picture.height() != s_->h)
    return Fail(QString("a frame of %1 x %2 pixels in a movie of %3 x %4")
                    .arg(picture.width())
                    .arg(picture.height())
                    .arg(s_->w)
                    .arg(s_->h),
                error);
  const QImage even = PaddedToEven(picture);
  // The scaler reads whole vectors, past the end of a row and of the last
  // one: the rows go to a buffer with room for that, its slack zeroed, so
  // that nothing outside the picture is read.
  const size_t row = size_t(even.width()) * 3, stride = (row + 63) / 64 * 64;
  s_->rows.assign(stride * size_t(even.height()) + 64, 0);
  for (int y = 0; y < even.height(); ++y) std::memcpy(&s_->rows[stride * size_t(y)], even.constScanLine(y), row);
  int r = av_frame_make_writable(s_->frame);
  if (r >= 0) {
    const uint8_t* src[1] = {s_->rows.data()};
    const int src_stride[1] = {int(stride)};
    sws_scale(s_->scaler, src, src_stride, 0, even.height(), s_->frame->data, s_->frame->linesize);
    s_->frame->pts = s_->frames;
    r = s_->Encode(s_->frame);
  }
  if (r < 0) return Fail(AvError(r), error);
  ++s_->frames;
  return true;
}

bool TMovieEncoder::Close(QString& error) {
  if (!s_) {
    error = "Cannot write a movie that is not open";
    return false;
  }
  int r = s_->Encode(nullptr);
  if (r >= 0) r = av_write_trailer(s_->format);
  if (r >= 0) {
    avio_flush(s_->format->pb);
    r = s_->format->pb->error;
  }
  if (r >= 0) r = avio_closep(&s_->format->pb);
  if (r < 0) return Fail(AvError(r), error);
  if (std::rename(s_->temp.constData(), s_->path.toLocal8Bit().constData()) != 0)
    return Fail(QString::fromLocal8Bit(std::strerror(errno)), error);
  s_->temp.clear();  // renamed: nothing left to remove
  s_.reset();
  return true;
}
