#include "fetch/ResumeCheck.h"

#include <algorithm>

namespace {

// "bytes START-END/TOTAL"; a total of "*" (unknown) gives -1.
bool ReadContentRange(const QByteArray& value, qint64& start, qint64& end, qint64& total) {
    if (!value.startsWith("bytes "))
        return false;
    const QByteArray range = value.mid(6).trimmed();
    const qsizetype dash = range.indexOf('-');
    const qsizetype slash = range.indexOf('/');
    if (dash <= 0 || slash < dash)
        return false;
    bool startRead = false;
    bool endRead = false;
    bool totalRead = false;
    start = range.left(dash).toLongLong(&startRead);
    end = range.mid(dash + 1, slash - dash - 1).toLongLong(&endRead);
    const QByteArray whole = range.mid(slash + 1);
    total = whole == "*" ? -1 : whole.toLongLong(&totalRead);
    return startRead && endRead && (totalRead || total == -1);
}

} // namespace

void ResumeCheck::ContinueUnder(const QByteArray& kept) {
    Forget();
    validator = kept;
}

void ResumeCheck::Forget() {
    validator.clear();
    askedFrom = 0;
    total = -1;
    partEnd = -1;
}

void ResumeCheck::Ask(qint64 from) {
    askedFrom = from;
}

void ResumeCheck::Note(const QByteArray& raw) {
    const QByteArray line = raw.trimmed();
    if (line.startsWith("HTTP/")) {
        answerTag.clear();
        answerModified.clear();
        answerLength = -1;
        answerEncoded = false;
        rangeStart = rangeEnd = rangeTotal = -1;
        return;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "etag") {
        answerTag = value.startsWith("W/") ? QByteArray() : value;
    } else if (name == "last-modified") {
        answerModified = value;
    } else if (name == "content-length") {
        bool read = false;
        answerLength = value.toLongLong(&read);
        if (!read || answerLength < 0)
            answerLength = -1;
    } else if (name == "content-encoding") {
        answerEncoded = !value.isEmpty() && value.toLower() != "identity";
    } else if (name == "content-range" &&
               !ReadContentRange(value, rangeStart, rangeEnd, rangeTotal)) {
        rangeStart = rangeEnd = rangeTotal = -1;
    }
}

ResumeCheck::Verdict ResumeCheck::Judge(bool http, long status) {
    if (!http) {
        if (askedFrom == 0)
            return TakeWhole();
        total = partEnd = -1;
        return Verdict::Continues;
    }
    if (status != 206)
        return TakeWhole();
    if (!IsPartAsked() || !IsSameVersion())
        return Verdict::StartsOver;
    total = rangeTotal;
    partEnd = rangeEnd;
    return Verdict::Continues;
}

// A whole answer brings its own validator, and its length where the body
// comes as it is (an encoded body's length is not the file's).
ResumeCheck::Verdict ResumeCheck::TakeWhole() {
    const QByteArray given = answerTag.isEmpty() ? answerModified : answerTag;
    validator = IsUsableValidator(given) ? given : QByteArray();
    total = answerEncoded ? -1 : answerLength;
    partEnd = -1;
    return Verdict::Whole;
}

// The range asked for, of a known total that agrees with what this run was told before.
bool ResumeCheck::IsPartAsked() const {
    return askedFrom > 0 && rangeStart == askedFrom && rangeEnd >= rangeStart &&
           rangeTotal > rangeEnd && (total < 0 || rangeTotal == total);
}

// An ETag is compared as sent; a date stands for the version it names.
bool ResumeCheck::IsSameVersion() const {
    if (validator.startsWith('"'))
        return answerTag == validator;
    return !validator.isEmpty() && answerModified == validator;
}

ResumeCheck::Extent ResumeCheck::ExtentOf(qint64 size) const {
    for (const qint64 end : {partEnd >= 0 ? partEnd + 1 : qint64(-1), total}) {
        if (end >= 0 && size != end)
            return size < end ? Extent::Short : Extent::Wrong;
    }
    return Extent::Whole;
}

qint64 ResumeCheck::ExpectedSize() const {
    return total >= 0 ? total : partEnd >= 0 ? partEnd + 1 : -1;
}

bool ResumeCheck::IsUsableValidator(const QByteArray& value) {
    return !value.isEmpty() && value.size() <= MaxValidatorLength &&
           std::none_of(value.begin(), value.end(), [](char byte) {
               const auto code = static_cast<unsigned char>(byte);
               return code < 0x20 || code == 0x7f;
           });
}
