#include "core/job_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "core/numbers.h"
#include "core/output_settings.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "platform/translation.h"

namespace lenzora::core {
namespace {

namespace fs = std::filesystem;

constexpr const char* kContext = "lenzora::core";
// A job of 16 long file names is a few kilobytes; reading stops after this much, so a huge
// file under a job's name costs no more.
constexpr std::size_t kJobReadLimit = std::size_t{1} << 20;

// The texts of a refusal: what is wrong, within "cannot open the job".
constexpr const char* kCannotOpen = QT_TRANSLATE_NOOP("lenzora::core", "无法打开作业 \"%1\": %2");
constexpr const char* kNotJson = QT_TRANSLATE_NOOP("lenzora::core", "不是 JSON 格式的作业");
constexpr const char* kUnknownVersion = QT_TRANSLATE_NOOP("lenzora::core", "作业版本 %1 未知");
constexpr const char* kWrongType = QT_TRANSLATE_NOOP("lenzora::core", "\"%1\" 的类型不对");
constexpr const char* kInvalidValue = QT_TRANSLATE_NOOP("lenzora::core", "\"%1\" 的值 \"%2\" 无效");
constexpr const char* kTooManyFrames = QT_TRANSLATE_NOOP("lenzora::core", "帧多于 16 个");
constexpr const char* kTooLarge = QT_TRANSLATE_NOOP("lenzora::core", "文件大于 1 MB");
constexpr const char* kMissingFrames = QT_TRANSLATE_NOOP("lenzora::core", "找不到这些帧的文件:");
constexpr const char* kMissingFrame = QT_TRANSLATE_NOOP("lenzora::core", "图%1: %2");

[[noreturn]] void refuse(const char* reason, std::initializer_list<std::string> values = {}) {
    throw platform::Error(platform::fillIn(platform::translate(kContext, reason), values));
}
[[noreturn]] void wrongType(const char* member) { refuse(kWrongType, {member}); }
[[noreturn]] void invalidValue(const char* member, const std::string& value) {
    refuse(kInvalidValue, {member, value});
}

QString text(const std::string& s) { return QString::fromStdString(s); }

// A name in the job as a host path: relative names are taken from the job's folder. Names are
// read in their lexically normal form, as they are written, so a job reads back as it was.
std::string hostName(const QString& name, const fs::path& folder) {
    return (folder / name.toStdString()).lexically_normal().string();
}

// A host path as the job keeps it: relative to the job's folder when it lies below it.
QString nameInJob(const std::string& hostPath, const fs::path& folder) {
    const fs::path file = fs::absolute(hostPath).lexically_normal();
    const fs::path relative = file.lexically_relative(folder.lexically_normal());
    if (!relative.empty() && relative != "." && *relative.begin() != "..")
        return text(relative.generic_string());
    return text(file.string());
}

std::optional<std::string> textMember(const QJsonObject& object, const char* member) {
    const QJsonValue value = object.value(QLatin1String(member));
    if (value.isUndefined()) return std::nullopt;
    if (!value.isString()) wrongType(member);
    return value.toString().toStdString();
}

// A box's text: it must read as a number, as it would when typed; `positive`, above 0.
std::optional<std::string> numberMember(const QJsonObject& object, const char* member,
                                        bool positive = false) {
    std::optional<std::string> typed = textMember(object, member);
    if (!typed) return typed;
    FixedCount value = 0;
    try {
        value = parseFixedText(*typed);
    } catch (const platform::Error&) {
        invalidValue(member, *typed);
    }
    if (positive && value <= 0) invalidValue(member, *typed);
    return typed;
}

// One of `names`.
template <std::size_t N>
std::optional<std::string> choiceMember(const QJsonObject& object, const char* member,
                                        const char* const (&names)[N]) {
    std::optional<std::string> chosen = textMember(object, member);
    if (chosen && std::none_of(std::begin(names), std::end(names),
                               [&](const char* name) { return *chosen == name; }))
        invalidValue(member, *chosen);
    return chosen;
}

void checkVersion(const QJsonObject& object) {
    const QJsonValue version = object.value(QLatin1String("version"));
    if (!version.isDouble()) wrongType("version");
    if (version.toDouble() != kJobVersion) {
        refuse(kUnknownVersion, {QString::number(version.toDouble(), 'g', 17).toStdString()});
    }
}

std::optional<std::vector<std::string>> framesMember(const QJsonObject& object,
                                                     const fs::path& folder) {
    const QJsonValue value = object.value(QLatin1String("frames"));
    if (value.isUndefined()) return std::nullopt;
    if (!value.isArray()) wrongType("frames");
    const QJsonArray list = value.toArray();
    if (list.size() > kMaxFrames) refuse(kTooManyFrames);
    std::vector<std::string> frames;
    for (const QJsonValue frame : list) {
        if (!frame.isNull() && !frame.isString()) wrongType("frames");
        const QString name = frame.toString();
        frames.push_back(name.isEmpty() ? std::string() : hostName(name, folder));
    }
    return frames;
}

}  // namespace

Job parseJob(std::string_view text, const fs::path& folder) {
    QJsonParseError problem{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())), &problem);
    if (problem.error != QJsonParseError::NoError || !document.isObject()) refuse(kNotJson);
    const QJsonObject object = document.object();
    checkVersion(object);
    Job job;
    job.frames = framesMember(object, folder);
    job.pitch = numberMember(object, "pitch", true);
    job.mode = choiceMember(object, "mode", kJobModeNames);
    job.width = numberMember(object, "width");
    job.height = numberMember(object, "height");
    job.unit = choiceMember(object, "unit", kJobUnitNames);
    const QJsonValue calibration = object.value(QLatin1String("calibration"));
    if (!calibration.isUndefined()) {
        if (!calibration.isBool()) wrongType("calibration");
        job.calibration = calibration.toBool();
    }
    if (std::optional<std::string> output = textMember(object, "output"))
        job.output =
            output->empty() ? std::string() : hostName(QString::fromStdString(*output), folder);
    return job;
}

Job readJobFile(const fs::path& path) {
    try {
        const platform::Bytes bytes = platform::readWholeFile(path, kJobReadLimit + 1);
        if (bytes.size() > kJobReadLimit) refuse(kTooLarge);
        return parseJob(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                        fs::absolute(path).parent_path());
    } catch (const platform::Error& e) {
        refuse(kCannotOpen, {path.string(), e.what()});
    }
}

std::string jobText(const Job& job, const fs::path& folder) {
    QJsonObject object;
    object.insert(QStringLiteral("version"), kJobVersion);
    if (job.frames) {
        QJsonArray frames;
        for (const std::string& frame : *job.frames)
            frames.append(frame.empty() ? QJsonValue() : QJsonValue(nameInJob(frame, folder)));
        object.insert(QStringLiteral("frames"), frames);
    }
    const auto put = [&](const char* member, const std::optional<std::string>& value) {
        if (value) object.insert(QLatin1String(member), text(*value));
    };
    put("pitch", job.pitch);
    put("mode", job.mode);
    put("width", job.width);
    put("height", job.height);
    put("unit", job.unit);
    if (job.calibration) object.insert(QStringLiteral("calibration"), *job.calibration);
    if (job.output)
        object.insert(QStringLiteral("output"),
                      job.output->empty() ? QString() : nameInJob(*job.output, folder));
    return QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

void writeJobFile(const fs::path& path, const Job& job) {
    platform::saveWholeFile(path, jobText(job, fs::absolute(path).parent_path()));
}

std::vector<int> missingJobFrames(const Job& job) {
    std::vector<int> missing;
    if (!job.frames) return missing;
    for (std::size_t i = 0; i < job.frames->size(); ++i) {
        const std::string& frame = (*job.frames)[i];
        std::error_code unknown;
        if (!frame.empty() && !fs::exists(frame, unknown) && !unknown)
            missing.push_back(static_cast<int>(i) + 1);
    }
    return missing;
}

std::string missingFramesMessage(const Job& job, const std::vector<int>& missing) {
    if (missing.empty() || !job.frames) return {};
    std::string message = platform::translate(kContext, kMissingFrames);
    for (int slot : missing) {
        message += "\n" + platform::fillIn(platform::translate(kContext, kMissingFrame),
                                           {std::to_string(slot),
                                            (*job.frames)[static_cast<std::size_t>(slot - 1)]});
    }
    return message;
}

int jobUnitIndex(const std::string& name) {
    const auto* found = std::find_if(std::begin(kJobUnitNames), std::end(kJobUnitNames),
                                     [&](const char* unit) { return name == unit; });
    return found == std::end(kJobUnitNames)
               ? -1
               : static_cast<int>(std::distance(std::begin(kJobUnitNames), found));
}

std::optional<std::string> jobUnitName(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kJobUnitNames))) return std::nullopt;
    return kJobUnitNames[index];
}

}  // namespace lenzora::core
