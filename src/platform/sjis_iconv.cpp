// SPDX-License-Identifier: GPL-3.0-or-later
// Code page 932 through glibc's iconv ("CP932"), which follows Windows' tables.
#include <errno.h>
#include <iconv.h>

#include "platform/sjis.h"

namespace platform::detail {

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts the whole input; false when any of it has no mapping.
  bool convert(const char* in, size_t inLen, char* out, size_t outCap, size_t& outLen) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    size_t left = inLen;
    size_t room = outCap;
    const size_t rc = iconv(cd_, &src, &left, &dst, &room);
    if (rc == static_cast<size_t>(-1) || left != 0) return false;
    // A conversion that substituted a character reports it as irreversible.
    if (rc != 0) return false;
    outLen = outCap - room;
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& encoder() {
  static Converter c("CP932", "UTF-32LE");
  return c;
}
Converter& decoder() {
  static Converter c("UTF-32LE", "CP932");
  return c;
}

}  // namespace

bool encodeCodePoint(char32_t cp, QByteArray& out) {
  const unsigned char in[4] = {static_cast<unsigned char>(cp), static_cast<unsigned char>(cp >> 8),
                               static_cast<unsigned char>(cp >> 16),
                               static_cast<unsigned char>(cp >> 24)};
  char buf[8];
  size_t len = 0;
  if (!encoder().convert(reinterpret_cast<const char*>(in), 4, buf, sizeof buf, len) || len == 0)
    return false;
  out.append(buf, static_cast<qsizetype>(len));
  return true;
}

bool decodeSequence(const char* seq, int len, QString& out) {
  char buf[16];
  size_t outLen = 0;
  if (!decoder().convert(seq, static_cast<size_t>(len), buf, sizeof buf, outLen) || outLen != 4)
    return false;
  const auto* u = reinterpret_cast<const unsigned char*>(buf);
  const char32_t cp = u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<char32_t>(u[3]) << 24);
  out.append(QString::fromUcs4(&cp, 1));
  return true;
}

}  // namespace platform::detail
