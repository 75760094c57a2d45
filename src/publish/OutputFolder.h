#pragma once
// Writes the published files: only when their bytes change, each through
// a temporary file in its own folder renamed over the old one, so a web
// server serves the old file or the new one and never half of either.
// Every path is a folder given at the start plus names made by FileNameOf;
// a link met on the way is never followed.
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan::publish {

// A file or folder of the published tree that could not be written.
class PublishError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class OutputFolder {
public:
    // root must exist (or be creatable) and be a folder.
    explicit OutputFolder(std::string root);

    const std::string& Root() const { return m_root; }

    // relative: names joined by "/", each made by FileNameOf or fixed by
    // the publisher. Creates missing folders. Returns whether the file
    // was written.
    bool Write(const std::string& relative, const std::string& bytes);

    // Removes the regular files in folder (relative) whose names end in
    // suffix and are not in keep; returns how many.
    int RemoveOthers(const std::string& folder, const std::string& suffix, const std::set<std::string>& keep);
    // The same for the names ours accepts: the files the publisher writes
    // there, so that nothing else put in the folder is touched.
    int RemoveOthers(const std::string& folder, const std::function<bool(std::string_view)>& ours,
                     const std::set<std::string>& keep);
    // Removes a folder of the tree with the files in it (one level of
    // subfolders): a member who is gone or hidden now.
    int RemoveFolder(const std::string& folder);

    // Creates the folder (relative) and the ones above it.
    void MakeFolders(const std::string& relative);
    // The names of the real folders (not links) in folder (relative).
    std::vector<std::string> Subfolders(const std::string& folder) const;

    int Written() const { return m_written; }
    int Removed() const { return m_removed; }
    // A publish starts: the counts from zero, and every folder's files
    // are compared again, since others may have changed them since.
    void StartPublish()
    {
        m_written = m_removed = 0;
        m_newFolders.clear();
    }

private:

    std::string m_root;
    std::string m_pid;
    std::set<std::string> m_madeFolders;
    // Made by this publisher in this run: what is in them, it wrote.
    std::set<std::string> m_newFolders;
    int m_written = 0;
    int m_removed = 0;
};

} // namespace mirovan::publish
