#include "model/DownloadJob.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <map>

#include <nlohmann/json.hpp>

#include "MyCode/FileOps.h"
#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"

namespace albatrix {
namespace {

using nlohmann::json;

constexpr const char* kJobKind = "albatrix-job";
// A job file is a plan and a list of names; anything much larger is not one of ours.
constexpr std::size_t kJobReadLimit = 256u << 20;

const char* StateName(JobAlbumState state) {
  switch (state) {
    case JobAlbumState::Waiting: return "waiting";
    case JobAlbumState::Begun: return "begun";
    case JobAlbumState::Done: return "done";
  }
  return "waiting";
}

// A field of the wrong type or out of range: the message names it.
struct BadField {
  std::string name;
};

const json& Field(const json& object, const char* name) {
  auto it = object.find(name);
  if (it == object.end()) throw BadField{name};
  return *it;
}

Text TextField(const json& object, const char* name) {
  const json& value = Field(object, name);
  if (!value.is_string()) throw BadField{name};
  return Utf8ToText(value.get<std::string>());
}

template <typename Number>
Number NumberField(const json& object, const char* name, long long low, long long high) {
  const json& value = Field(object, name);
  if (!value.is_number_integer()) throw BadField{name};
  const long long n = value.get<long long>();
  if (n < low || n > high) throw BadField{name};
  return static_cast<Number>(n);
}

std::string Utf8(TextView text) { return TextToUtf8(text); }

json RuleToJson(const NameRule& rule) {
  return {{"prefix", Utf8(RuleText(rule.prefix))},
          {"suffix", Utf8(RuleText(rule.suffix))},
          {"replaceFrom", Utf8(RuleText(rule.replaceFrom))},
          {"replaceTo", Utf8(RuleText(rule.replaceTo))},
          {"albumPrefix", Utf8(RuleText(rule.albumPrefix))},
          {"albumSuffix", Utf8(RuleText(rule.albumSuffix))},
          {"options", rule.options},
          {"nameSource", rule.nameSource},
          {"albumFolderMode", rule.albumFolderMode}};
}

NameRule RuleFromJson(const json& object) {
  if (!object.is_object()) throw BadField{"rule"};
  NameRule rule{};
  SetRuleText(rule.prefix, TextField(object, "prefix"));
  SetRuleText(rule.suffix, TextField(object, "suffix"));
  SetRuleText(rule.replaceFrom, TextField(object, "replaceFrom"));
  SetRuleText(rule.replaceTo, TextField(object, "replaceTo"));
  SetRuleText(rule.albumPrefix, TextField(object, "albumPrefix"));
  SetRuleText(rule.albumSuffix, TextField(object, "albumSuffix"));
  rule.options = NumberField<std::uint16_t>(object, "options", 0, 0xFFFF);
  rule.nameSource = NumberField<std::uint8_t>(object, "nameSource", 0, 0xFF);
  rule.albumFolderMode = NumberField<std::uint8_t>(object, "albumFolderMode", 0, 0xFF);
  return rule;
}

json PictureToJson(const JobPicture& picture) {
  json object = {{"url", Utf8(picture.url)}, {"name", Utf8(picture.fileName)}, {"size", picture.size}};
  if (!picture.namedAs.empty()) object["namedAs"] = Utf8(picture.namedAs);
  return object;
}

// A name is one name inside the album's folder, never a path that leads elsewhere.
bool IsOneName(const Text& name) {
  return !name.empty() && name.find_first_of(u"/\\") == Text::npos && name != u"..";
}

JobPicture PictureFromJson(const json& object) {
  if (!object.is_object()) throw BadField{"saved"};
  JobPicture picture;
  picture.url = TextField(object, "url");
  picture.fileName = TextField(object, "name");
  picture.size = NumberField<std::uint64_t>(object, "size", 0, (1LL << 62));
  if (!IsOneName(picture.fileName)) throw BadField{"name"};
  if (object.contains("namedAs")) {
    picture.namedAs = TextField(object, "namedAs");
    if (!IsOneName(picture.namedAs)) throw BadField{"namedAs"};
  }
  return picture;
}

json AlbumToJson(const JobAlbum& album) {
  const ST_PERLISTRECORD& r = album.record;
  json saved = json::array();
  for (const JobPicture& picture : album.saved) saved.push_back(PictureToJson(picture));
  return {{"title", Utf8(r.title)},         {"albumPath", Utf8(r.albumPath)},   {"coverUrl", Utf8(r.coverUrl)},
          {"extraText1", Utf8(r.extraText1)}, {"extraText2", Utf8(r.extraText2)}, {"pictureCount", r.pictureCount},
          {"accessFlags", r.accessFlags},   {"number1", r.number1},             {"number2", r.number2},
          {"ordinal", r.ordinal},           {"state", StateName(album.state)},  {"folder", Utf8(album.folder)},
          {"saved", std::move(saved)}};
}

JobAlbum AlbumFromJson(const json& object) {
  if (!object.is_object()) throw BadField{"albums"};
  constexpr long long kMin = INT32_MIN, kMax = INT32_MAX;
  JobAlbum album;
  ST_PERLISTRECORD& r = album.record;
  r.title = TextField(object, "title");
  r.albumPath = TextField(object, "albumPath");
  r.coverUrl = TextField(object, "coverUrl");
  r.extraText1 = TextField(object, "extraText1");
  r.extraText2 = TextField(object, "extraText2");
  r.pictureCount = NumberField<std::int32_t>(object, "pictureCount", kMin, kMax);
  r.accessFlags = NumberField<std::int32_t>(object, "accessFlags", kMin, kMax);
  r.number1 = NumberField<std::int32_t>(object, "number1", kMin, kMax);
  r.number2 = NumberField<std::int32_t>(object, "number2", kMin, kMax);
  r.ordinal = NumberField<std::int32_t>(object, "ordinal", 0, kMax);
  const Text state = TextField(object, "state");
  if (state == u"waiting") album.state = JobAlbumState::Waiting;
  else if (state == u"begun") album.state = JobAlbumState::Begun;
  else if (state == u"done") album.state = JobAlbumState::Done;
  else throw BadField{"state"};
  album.folder = TextField(object, "folder");
  const json& saved = Field(object, "saved");
  if (!saved.is_array()) throw BadField{"saved"};
  for (const json& picture : saved) album.saved.push_back(PictureFromJson(picture));
  return album;
}

DownloadJob JobFromJson(const json& object) {
  DownloadJob job;
  job.runId = TextField(object, "run");
  job.memberAddress = TextField(object, "member");
  job.savePath = TextField(object, "savePath");
  job.memberKey = TextField(object, "memberKey");
  job.subFolder = TextField(object, "subFolder");
  job.siteCode = NumberField<int>(object, "siteCode", 0, static_cast<long long>(kSiteCount) - 1);
  job.listedAlbums = NumberField<std::size_t>(object, "listedAlbums", 0, INT32_MAX);
  job.retries = NumberField<int>(object, "retries", 0, 100);
  job.rule = RuleFromJson(Field(object, "rule"));
  const json& limits = Field(object, "limits");
  if (!limits.is_object()) throw BadField{"limits"};
  job.limits.minKB = NumberField<std::uint16_t>(limits, "minKB", 0, 0xFFFF);
  job.limits.maxKB = NumberField<std::uint16_t>(limits, "maxKB", 0, 0xFFFF);
  job.limits.threads = NumberField<std::uint16_t>(limits, "threads", 1, 15);
  job.limits.timeoutSeconds = NumberField<std::uint16_t>(limits, "timeoutSeconds", 1, 0xFFFF);
  if (object.contains("allAlbums")) {
    const json& all = object["allAlbums"];
    if (!all.is_boolean()) throw BadField{"allAlbums"};
    job.allAlbums = all.get<bool>();
  }
  const json& albums = Field(object, "albums");
  if (!albums.is_array()) throw BadField{"albums"};
  for (const json& album : albums) job.albums.push_back(AlbumFromJson(album));
  return job;
}

// Adds the journal's pictures of this job to their albums; a line that does not parse (the last one,
// cut by a kill) or belongs to another run is passed over, and a later line of the same picture (by the
// name the naming gives it) replaces the earlier one.
void MergeJournal(DownloadJob& job, std::string_view journal) {
  std::vector<std::map<Text, std::size_t>> names(job.albums.size());
  for (std::size_t i = 0; i < job.albums.size(); ++i)
    for (std::size_t k = 0; k < job.albums[i].saved.size(); ++k) names[i][job.albums[i].saved[k].NamingName()] = k;
  while (!journal.empty()) {
    const std::size_t end = journal.find('\n');
    const std::string_view line = journal.substr(0, end);
    journal = end == std::string_view::npos ? std::string_view() : journal.substr(end + 1);
    const json entry = json::parse(line, nullptr, false);
    if (entry.is_discarded() || !entry.is_object()) continue;
    try {
      if (TextField(entry, "run") != job.runId) continue;
      const std::size_t position = NumberField<std::size_t>(entry, "album", 0, INT32_MAX);
      if (position >= job.albums.size()) continue;
      JobPicture picture = PictureFromJson(entry);
      std::vector<JobPicture>& saved = job.albums[position].saved;
      auto [at, added] = names[position].emplace(picture.NamingName(), saved.size());
      if (added) {
        saved.push_back(std::move(picture));
      } else {
        saved[at->second] = std::move(picture);
      }
    } catch (const BadField&) {
      continue;
    }
  }
}

Text JournalPath(TextView programFolder) { return JobFilePath(programFolder) + kJobJournalSuffix; }

}  // namespace

std::size_t DownloadJob::SavedCount() const {
  std::size_t n = 0;
  for (const JobAlbum& album : albums) n += album.saved.size();
  return n;
}

Text NewJobRunId() {
  std::random_device device;
  const auto now = std::chrono::system_clock::now().time_since_epoch().count();
  std::mt19937_64 mix(static_cast<std::uint64_t>(now) ^ (static_cast<std::uint64_t>(device()) << 32) ^ device());
  char buf[40];
  std::snprintf(buf, sizeof buf, "%016llx%08lx", static_cast<unsigned long long>(mix()), CurrentProcessId());
  return Utf8ToText(buf);
}

std::string JobToJson(const DownloadJob& job) {
  json albums = json::array();
  for (const JobAlbum& album : job.albums) albums.push_back(AlbumToJson(album));
  json object = {{"format", kJobKind},
                       {"version", kJobFileVersion},
                       {"run", Utf8(job.runId)},
                       {"member", Utf8(job.memberAddress)},
                       {"savePath", Utf8(job.savePath)},
                       {"memberKey", Utf8(job.memberKey)},
                       {"subFolder", Utf8(job.subFolder)},
                       {"siteCode", job.siteCode},
                       {"listedAlbums", job.listedAlbums},
                       {"retries", job.retries},
                       {"rule", RuleToJson(job.rule)},
                       {"limits",
                        {{"minKB", job.limits.minKB},
                         {"maxKB", job.limits.maxKB},
                         {"threads", job.limits.threads},
                         {"timeoutSeconds", job.limits.timeoutSeconds}}},
                       {"albums", std::move(albums)}};
  // Only a saved job of every album says so; the running job file keeps its bytes.
  if (job.allAlbums) object["allAlbums"] = true;
  // Texts a file system or a page gave may hold bytes that are no UTF-8; they are replaced, not fatal.
  return object.dump(1, '\t', false, json::error_handler_t::replace) + "\n";
}

std::string JournalLine(TextView runId, std::size_t position, const JobPicture& picture) {
  json line = PictureToJson(picture);
  line["run"] = Utf8(runId);
  line["album"] = position;
  return line.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

JobFileRead ParseJob(std::string_view bytes, std::string_view journal) {
  JobFileRead read;
  read.state = JobFileState::Damaged;
  const json object = json::parse(bytes, nullptr, false);
  if (object.is_discarded()) {
    read.problem = u"not a job file (cut or not JSON)";
    return read;
  }
  if (!object.is_object() || object.value("format", std::string()) != kJobKind) {
    read.problem = u"not a job file of this program";
    return read;
  }
  const json version = object.value("version", json());
  if (!version.is_number_integer() || version.get<long long>() != kJobFileVersion) {
    read.problem = u"a job file of another version";
    return read;
  }
  try {
    read.job = JobFromJson(object);
  } catch (const BadField& bad) {
    read.problem = Utf8ToText("a job file with a wrong field: " + bad.name);
    return read;
  }
  MergeJournal(read.job, journal);
  read.state = JobFileState::Ready;
  return read;
}

Text JobFilePath(TextView programFolder) { return Text(programFolder) + kJobFileName; }

JobFileRead ReadJobFileAt(TextView path) {
  Bytes bytes;
  if (!ReadFileBytes(path, bytes, kJobReadLimit)) return JobFileRead{};
  return ParseJob(bytes);
}

bool WriteJobFileAt(TextView path, const DownloadJob& job) {
  if (!WriteFileReplacing(path, JobToJson(job))) {
    Trace("job file could not be written to " + TextToUtf8(path));
    return false;
  }
  return true;
}

JobFileRead ReadJobFile(TextView programFolder) {
  Bytes bytes;
  if (!ReadFileBytes(JobFilePath(programFolder), bytes, kJobReadLimit)) return JobFileRead{};
  Bytes journal;
  ReadFileBytes(JournalPath(programFolder), journal, kJobReadLimit);
  return ParseJob(bytes, journal);
}

bool WriteJobFile(TextView programFolder, const DownloadJob& job) {
  if (!WriteFileReplacing(JobFilePath(programFolder), JobToJson(job))) {
    Trace("job file could not be written in " + TextToUtf8(programFolder));
    return false;
  }
  RemoveFile(JournalPath(programFolder));
  return true;
}

bool AppendJobJournal(TextView programFolder, TextView runId, std::size_t position, const JobPicture& picture) {
  return AppendToFile(JournalPath(programFolder), JournalLine(runId, position, picture));
}

void RemoveJobFile(TextView programFolder) {
  RemoveFile(JobFilePath(programFolder));
  RemoveFile(JournalPath(programFolder));
}

Text SetJobFileAside(TextView programFolder) {
  const Text path = JobFilePath(programFolder);
  const Text aside = path + kJobSetAsideSuffix;
  RemoveFile(JournalPath(programFolder));
  if (RenameFile(path, aside)) return aside;
  RemoveFile(path);
  return Text();
}

}  // namespace albatrix
