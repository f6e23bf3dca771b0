#include "ToolName.h"

namespace {

QString& CurrentShard() {
    static QString shard;
    return shard;
}

} // namespace

void ToolName::SetShard(const QString& shard) {
    CurrentShard() = shard;
}

QString ToolName::Shard() {
    return CurrentShard();
}

QByteArray ToolName::Prefix() {
    return CurrentShard().isEmpty() ? QByteArray("quillmar-harvest: ")
                                    : "quillmar-harvest (shard " + CurrentShard().toUtf8() + "): ";
}
