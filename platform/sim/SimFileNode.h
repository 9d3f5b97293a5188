#pragma once

// One file, folder or link of the simulated file system, shared by the file system itself and
// the handles it gives out, with the rules both apply to names and nodes.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/SimFileSystem.h"

namespace dustvale::sim {

// The changes a watch of a folder has not taken yet.
struct SimFileSystem::WatchQueue {
    std::vector<FolderChange> changes;
    bool lost = false;  // more came than the watch holds
};

struct SimFileSystem::Node : std::enable_shared_from_this<Node> {
    Text name;  // "C:" for a drive's root
    Text shortName;
    std::uint64_t id = 0;          // the file's number on its volume, never reused
    std::uint32_t attributes = 0;  // as stored: 0 is reported as FILE_ATTRIBUTE_NORMAL
    std::string bytes;
    std::vector<NodePtr> children;  // in creation order
    Node* parent = nullptr;
    bool removed = false;            // no longer in any folder; handles may still hold it
    std::optional<Text> linkTarget;  // set for a folder or file link
    bool unixLink = false;           // a link as Wine shows a Unix symbolic link
    bool inUse = false;
    bool endless = false;  // reads repeat `bytes` without end, as a device would
    bool denyListing = false;
    bool readOnlyFolder = false;
    int openCount = 0;    // files the program has open on it
    int openWriters = 0;  // of which open for output
    // FILETIMEs: the write time moves when a folder's entries or a file's bytes change, the
    // change time also when attributes do.
    std::uint64_t lastWrite = 0;
    std::uint64_t changeTime = 0;
    std::vector<std::weak_ptr<WatchQueue>> watches;  // of a folder: the watches on it

    bool IsFolder() const { return (attributes & attr::kDirectory) != 0; }
    bool IsRoot() const { return parent == nullptr && !removed; }
};

namespace node {

using Node = SimFileSystem::Node;

// Names compare by their upper case, as Windows compares them.
bool SameName(const Text& a, const Text& b);
// A name Windows allows for an entry (with * and ? where a pattern may hold them).
bool ValidName(const Text& name, bool wildcardsAllowed);
// The entry of `folder` named `name` (or its 8.3 alias); nullptr when there is none.
Node* ChildNamed(const Node& folder, const Text& name);
// The attributes as Windows reports them for the node itself.
std::uint32_t Reported(const Node& node);
// The node's full path in stored names, through its folders as they are now ("C:\" for a
// root); nullopt for a node no longer in any folder.
std::optional<Text> PathOf(const Node& node);

}  // namespace node
}  // namespace dustvale::sim
