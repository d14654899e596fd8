#pragma once

// Packs a tree of folders and files as a setup bundle ("FS/ISB/3", see
// foundation/SetupBundle.h): a 53-byte header whose u32 at offset 8 is the
// bundle size - 28, then the top level's 76-byte records sorted by name, each
// followed by its content: a file as one zlib stream (compress2), a folder as
// its own records and end record. Time stamps are 0, so the same tree always
// gives the same bytes.
//
// The writer refuses what the reader would refuse (unsafe names, files above
// the reader's size limit, nesting deeper than it follows) and names that
// differ only in case within one folder (Windows holds only one of them).
//
// Built twice: into the pack tool for the build machine and, with the target's
// compiler, into the tests.

#include <filesystem>
#include <string>
#include <vector>

namespace setup_bundle {

struct Member {
    std::string name; // UTF-8
    bool isFolder = false;
    std::string content;         // a file's bytes
    std::vector<Member> members; // a folder's members
};

// Reads a folder tree: every sub-folder becomes a folder member, every
// regular file a file member. False, with a message, for anything else
// (links to nowhere, devices) or an unreadable file.
bool readFolderTree(const std::filesystem::path& folder, std::vector<Member>& members, std::string& error);

// The bundle of the top-level members. False, with a message, when the tree
// cannot be packed.
bool writeSetupBundle(const std::vector<Member>& topLevel, std::string& bundle, std::string& error);

} // namespace setup_bundle
