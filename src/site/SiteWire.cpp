#include "site/SiteWire.h"

#include <charconv>
#include <cstdint>
#include <type_traits>

namespace albatrix {
namespace {

using Fields = std::vector<std::string_view>;

bool Plain(unsigned c) { return c > 0x20 && c < 0x7F && c != '%'; }

// `digits` hexadecimal digits of `field` from `at`; -1 when they are not all there.
long ReadHex(std::string_view field, std::size_t at, int digits) {
  if (at + static_cast<std::size_t>(digits) > field.size()) return -1;
  long value = 0;
  for (int i = 0; i < digits; ++i) {
    int digit = HexDigitValue(field[at + static_cast<std::size_t>(i)]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// The records of `wire`, each split into its fields; the newline that ends the last record is optional.
std::vector<Fields> Records(std::string_view wire) {
  std::vector<Fields> records;
  if (!wire.empty() && wire.back() == '\n') wire.remove_suffix(1);
  if (wire.empty()) return records;
  for (std::string_view line : Split(wire, '\n')) records.push_back(Split(line, '\t'));
  return records;
}

template <typename Number>
bool ReadNumber(std::string_view field, Number& value) {
  if constexpr (std::is_same_v<Number, bool>) {
    if (field != "0" && field != "1") return false;
    value = field == "1";
    return true;
  } else {
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size() && !field.empty();
  }
}

std::string Record(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& field : fields) {
    if (!line.empty()) line += '\t';
    line += field;
  }
  return line + "\n";
}

std::string Number(long long value) { return std::to_string(value); }
std::string Number(unsigned long long value) { return std::to_string(value); }

struct KindName {
  SiteFaultKind kind;
  const char* name;
};
constexpr KindName kFaultKinds[] = {
    {SiteFaultKind::Slow, "slow"},         {SiteFaultKind::Stall, "stall"},
    {SiteFaultKind::Truncate, "truncate"}, {SiteFaultKind::WrongLength, "wrong-length"},
    {SiteFaultKind::Status, "status"},     {SiteFaultKind::Redirect, "redirect"},
    {SiteFaultKind::EndlessBody, "endless"}, {SiteFaultKind::GzipBomb, "gzip-bomb"},
};

const char* PictureKindName(PictureKind kind) {
  switch (kind) {
    case PictureKind::Jpeg: return "jpeg";
    case PictureKind::Png: return "png";
    case PictureKind::Gif: return "gif";
  }
  return "jpeg";
}

std::optional<PictureKind> ReadPictureKind(std::string_view name) {
  for (PictureKind kind : {PictureKind::Jpeg, PictureKind::Png, PictureKind::Gif})
    if (name == PictureKindName(kind)) return kind;
  return std::nullopt;
}

}  // namespace

std::string WireBytes(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (Plain(byte)) {
      out += c;
    } else {
      out += '%';
      AppendHex(out, byte, 2);
    }
  }
  return out;
}

std::optional<std::string> ReadWireBytes(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      if (!Plain(static_cast<unsigned char>(field[i]))) return std::nullopt;
      out += field[i];
      continue;
    }
    long byte = ReadHex(field, i + 1, 2);
    if (byte < 0) return std::nullopt;
    out += static_cast<char>(byte);
    i += 2;
  }
  return out;
}

std::string WireText(TextView text) {
  std::string out;
  for (char16_t unit : text) {
    if (Plain(unit)) {
      out += static_cast<char>(unit);
    } else {
      out += "%u";
      AppendHex(out, unit, 4);
    }
  }
  return out;
}

std::optional<Text> ReadWireText(std::string_view field) {
  Text out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      if (!Plain(static_cast<unsigned char>(field[i]))) return std::nullopt;
      out += static_cast<char16_t>(field[i]);
      continue;
    }
    long unit = i + 1 < field.size() && field[i + 1] == 'u' ? ReadHex(field, i + 2, 4) : -1;
    if (unit < 0) return std::nullopt;
    out += static_cast<char16_t>(unit);
    i += 5;
  }
  return out;
}

std::string WriteMember(const SiteMember& member) {
  std::string wire = Record({"member", WireBytes(member.key), Number(static_cast<long long>(member.listPageSize)),
                             Number(static_cast<long long>(member.albumPageSize))});
  for (const SiteAlbum& album : member.albums) {
    wire += Record({"album", WireBytes(album.id), Number(static_cast<long long>(album.statedCount)),
                    WireText(album.title)});
    for (const SitePicture& picture : album.pictures)
      wire += Record({"picture", PictureKindName(picture.kind), WireBytes(picture.extension),
                      Number(static_cast<unsigned long long>(picture.bytes)), WireText(picture.description)});
  }
  return wire;
}

std::optional<SiteMember> ReadMember(std::string_view wire) {
  auto records = Records(wire);
  if (records.empty() || records[0].size() != 4 || records[0][0] != "member") return std::nullopt;
  SiteMember member;
  auto key = ReadWireBytes(records[0][1]);
  if (!key || !ReadNumber(records[0][2], member.listPageSize) || !ReadNumber(records[0][3], member.albumPageSize))
    return std::nullopt;
  member.key = *key;
  for (std::size_t r = 1; r < records.size(); ++r) {
    const Fields& f = records[r];
    if (f.size() == 4 && f[0] == "album") {
      SiteAlbum album;
      auto id = ReadWireBytes(f[1]);
      auto title = ReadWireText(f[3]);
      if (!id || !title || !ReadNumber(f[2], album.statedCount)) return std::nullopt;
      album.id = *id;
      album.title = *title;
      member.albums.push_back(std::move(album));
    } else if (f.size() == 5 && f[0] == "picture" && !member.albums.empty()) {
      SitePicture picture;
      auto kind = ReadPictureKind(f[1]);
      auto extension = ReadWireBytes(f[2]);
      auto description = ReadWireText(f[4]);
      if (!kind || !extension || !description || !ReadNumber(f[3], picture.bytes)) return std::nullopt;
      picture.kind = *kind;
      picture.extension = *extension;
      picture.description = *description;
      member.albums.back().pictures.push_back(std::move(picture));
    } else {
      return std::nullopt;
    }
  }
  return member;
}

std::string WriteFault(const SiteFault& fault) {
  const char* kind = "status";
  for (const KindName& entry : kFaultKinds)
    if (entry.kind == fault.kind) kind = entry.name;
  return Record({"fault", kind, Number(static_cast<long long>(fault.delayMs)),
                 Number(static_cast<unsigned long long>(fault.chunkBytes)),
                 Number(static_cast<unsigned long long>(fault.bytes)), Number(static_cast<long long>(fault.status)),
                 Number(static_cast<long long>(fault.times)), WireBytes(fault.body), WireBytes(fault.location),
                 WireBytes(fault.retryAfter)});
}

std::optional<SiteFault> ReadFault(std::string_view wire) {
  auto records = Records(wire);
  // A record of nine fields comes from a controller that knows no Retry-After.
  if (records.size() != 1 || (records[0].size() != 9 && records[0].size() != 10) || records[0][0] != "fault")
    return std::nullopt;
  const Fields& f = records[0];
  SiteFault fault;
  const KindName* kind = nullptr;
  for (const KindName& entry : kFaultKinds)
    if (f[1] == entry.name) kind = &entry;
  auto body = ReadWireBytes(f[7]);
  auto location = ReadWireBytes(f[8]);
  if (!kind || !body || !location || !ReadNumber(f[2], fault.delayMs) || !ReadNumber(f[3], fault.chunkBytes) ||
      !ReadNumber(f[4], fault.bytes) || !ReadNumber(f[5], fault.status) || !ReadNumber(f[6], fault.times))
    return std::nullopt;
  fault.kind = kind->kind;
  fault.body = *body;
  fault.location = *location;
  if (f.size() == 10) {
    auto retryAfter = ReadWireBytes(f[9]);
    if (!retryAfter) return std::nullopt;
    fault.retryAfter = *retryAfter;
  }
  return fault;
}

std::string WriteOptions(const SiteOptions& options) {
  std::string wire = Record({"options", Number(static_cast<unsigned long long>(options.seed)),
                             options.requireLogin ? "1" : "0", options.gzip ? "1" : "0",
                             Number(static_cast<long long>(options.stallLimitMs)),
                             Number(static_cast<long long>(options.picturesPerSecond))});
  if (options.demoShape) {
    const MemberShape& s = *options.demoShape;
    wire += Record({"shape", Number(static_cast<long long>(s.albums)), Number(static_cast<long long>(s.pictures)),
                    Number(static_cast<long long>(s.pictureKb)), Number(static_cast<long long>(s.listPageSize)),
                    Number(static_cast<long long>(s.albumPageSize))});
  }
  return wire;
}

std::optional<SiteOptions> ReadOptions(std::string_view wire) {
  auto records = Records(wire);
  // A writer from before the pictures' pace sends five fields.
  if (records.empty() || records.size() > 2 || records[0].size() < 5 || records[0].size() > 6 ||
      records[0][0] != "options")
    return std::nullopt;
  SiteOptions options;
  const Fields& f = records[0];
  if (!ReadNumber(f[1], options.seed) || !ReadNumber(f[2], options.requireLogin) || !ReadNumber(f[3], options.gzip) ||
      !ReadNumber(f[4], options.stallLimitMs) || (f.size() == 6 && !ReadNumber(f[5], options.picturesPerSecond)))
    return std::nullopt;
  if (records.size() == 2) {
    const Fields& s = records[1];
    MemberShape shape;
    if (s.size() != 6 || s[0] != "shape" || !ReadNumber(s[1], shape.albums) || !ReadNumber(s[2], shape.pictures) ||
        !ReadNumber(s[3], shape.pictureKb) || !ReadNumber(s[4], shape.listPageSize) ||
        !ReadNumber(s[5], shape.albumPageSize))
      return std::nullopt;
    options.demoShape = shape;
  }
  return options;
}

std::string WriteCounts(const std::map<std::string, int>& counts) {
  std::string wire;
  for (const auto& [path, count] : counts) wire += Record({WireBytes(path), Number(static_cast<long long>(count))});
  return wire;
}

std::optional<std::map<std::string, int>> ReadCounts(std::string_view wire) {
  std::map<std::string, int> counts;
  for (const Fields& f : Records(wire)) {
    int count = 0;
    auto path = f.size() == 2 ? ReadWireBytes(f[0]) : std::nullopt;
    if (!path || !ReadNumber(f[1], count)) return std::nullopt;
    counts[*path] = count;
  }
  return counts;
}

std::string WriteList(const std::vector<std::string>& items) {
  std::string wire;
  for (const std::string& item : items) wire += Record({WireBytes(item)});
  return wire;
}

std::optional<std::vector<std::string>> ReadList(std::string_view wire) {
  std::vector<std::string> items;
  for (const Fields& f : Records(wire)) {
    auto item = f.size() == 1 ? ReadWireBytes(f[0]) : std::nullopt;
    if (!item) return std::nullopt;
    items.push_back(*item);
  }
  return items;
}

}  // namespace albatrix
