#pragma once

#include "FileIdentity.h"
#include "SceneMetadata.h"

#include <QByteArray>

class SharedStrings;

// The bytes the catalogue index keeps for one scene: the identity of the
// file when its metadata was read, and that metadata. Little-endian, strings
// as UTF-16 with their length in front; see docs/file-formats.md.
namespace CatalogueIndexRecord {

// Larger records are refused: a scene's metadata is at most 1 MiB of JSON.
constexpr int kMaxBytes = 4 * 1024 * 1024;

QByteArray encode(const FileIdentity &identity, const SceneMetadata &metadata);

// False, with *metadata in no defined state, for bytes encode would not have
// written: cut short, trailing bytes, more or longer tags than a scene may
// carry, unknown keys a scene reader would refuse.
// With strings, the author, licence and tags are taken from that pool.
bool decode(const QByteArray &record, FileIdentity *identity, SceneMetadata *metadata,
            SharedStrings *strings = nullptr);

} // namespace CatalogueIndexRecord
