#pragma once

#include <QByteArray>
#include <QtGlobal>

// What a download asked its server for and what the answer's headers say of
// it. An answer continues the file only when it is the part asked for
// ("206" with the range that starts where the file ends) of the version the
// file so far came from (the validator sent in If-Range); a file is whole
// only when its bytes reach the total the server announced. So the bytes of
// two versions are never joined, and a part is never taken for the whole.
class ResumeCheck {
public:
    // What the answer is to the file: its whole body (the file starts over
    // under the answer's own validator), the next part of it, or a part that
    // cannot be joined to what the file holds (the file is to be fetched again).
    enum class Verdict { Whole, Continues, StartsOver };
    // Where the file stands once the answer has ended: whole; short of the
    // announced end (the rest may be asked for); or past it, or not where the
    // part said it ends (the bytes cannot be trusted).
    enum class Extent { Whole, Short, Wrong };

    // The ETag or Last-Modified the file so far was received under; empty for none.
    QByteArray Validator() const { return validator; }
    // The file holds what a run before received under validator.
    void ContinueUnder(const QByteArray& validator);
    // Nothing received yet: no validator, nothing known of the file.
    void Forget();
    // The next request asks for the bytes from from on; 0 for all of them.
    void Ask(qint64 from);
    qint64 AskedFrom() const { return askedFrom; }
    // The value of If-Range that goes with a request for part of the file.
    QByteArray IfRange() const { return validator; }
    // One header line of the answer; a status line begins another answer.
    void Note(const QByteArray& line);
    // Judges the answer once its headers are in: status is HTTP's where http,
    // otherwise (file transfer, local files) a part is what was asked for.
    Verdict Judge(bool http, long status);
    // After an answer judged Whole or Continues: where a file of size bytes stands.
    Extent ExtentOf(qint64 size) const;
    // The size the file should reach, -1 when the server did not say.
    qint64 ExpectedSize() const;
    // Before Judge: the length of the current answer's body where it is sent
    // as it is (not compressed), -1 when the headers do not say.
    qint64 WholeLength() const { return answerEncoded ? -1 : answerLength; }

    // A validator fit to go into a request header: printable and short.
    static bool IsUsableValidator(const QByteArray& value);
    static constexpr qsizetype MaxValidatorLength = 1024;

private:
    Verdict TakeWhole();
    bool IsPartAsked() const;
    bool IsSameVersion() const;

    QByteArray validator;
    qint64 askedFrom = 0;
    qint64 total = -1;   // the whole file's size, as the server gave it; -1 unknown
    qint64 partEnd = -1; // the last byte of the part taken; -1 for a whole answer
    // The current answer's headers.
    QByteArray answerTag;      // strong ETag
    QByteArray answerModified; // Last-Modified
    qint64 answerLength = -1;  // Content-Length of a body sent as it is
    bool answerEncoded = false;
    qint64 rangeStart = -1;
    qint64 rangeEnd = -1;
    qint64 rangeTotal = -1;
};
