#pragma once
// Writes the published files: only when their bytes change, each through
// a temporary file in its own folder renamed over the old one, so a web
// server serves the old file or the new one and never half of either.
// A folder that is not there yet is built whole under a hidden name and
// renamed into place by Finish: one rename shows all of its files at once,
// and they need no temporary file each.
// Every path is a folder given at the start plus names made by FileNameOf;
// a link met on the way is never followed.
#include <functional>
#include <map>
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
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

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

    // Creates the folder (relative) and the ones above it; the new ones
    // show up at Finish.
    void MakeFolders(const std::string& relative);
    // Renames the folders made since the last Finish into place.
    void Finish();
    // The names of the real folders (not links) in folder (relative).
    std::vector<std::string> Subfolders(const std::string& folder) const;

    int Written() const { return m_written; }
    int Removed() const { return m_removed; }
    // A publish starts: the counts from zero, and every folder and file
    // is looked at again, since others may have changed or removed them
    // since; the root is made again when it went.
    void StartPublish();
    // Whether folder (relative) is a real folder of the tree now.
    bool HasFolder(const std::string& relative) const;
    // A publish failed: the folders it was building under hidden names
    // go now, not at the next publish, so that they hold no disk space
    // meanwhile. What is in place stays as it was.
    void Abandon() noexcept;

private:
    // Where a folder of the tree is now: under its hidden name while it
    // is being built.
    std::string PathOf(const std::string& folder) const;
    // Where it is once published, for messages: a hidden name means
    // nothing to the reader.
    std::string Shown(const std::string& folder) const;
    void MakeRoot();
    // The folder opened, kept for the files that follow in it.
    int FolderFd(const std::string& folder);
    void CloseFolderFd();
    void WriteReplacing(int dir, const std::string& folder, const std::string& name, const std::string& bytes);

    std::string m_root;
    std::string m_pid;
    std::set<std::string> m_madeFolders;
    // Made by this publisher in this run: what is in them, it wrote.
    std::set<std::string> m_newFolders;
    // The topmost new folders: relative name -> hidden relative name.
    std::map<std::string, std::string> m_hidden;
    std::string m_fdFolder;
    int m_fd = -1;
    int m_written = 0;
    int m_removed = 0;
};

} // namespace mirovan::publish
