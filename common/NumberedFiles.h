#pragma once

// The program's sequential files, known by small positive numbers. A new file takes the
// lowest number not in use (the settings file is always opened as number 1). Closing the
// program's files at the end goes by these numbers (see CloseAllFiles).

#include <map>
#include <memory>

#include "platform/FileSystem.h"

namespace dustvale {

class NumberedFiles {
public:
    explicit NumberedFiles(FileSystem& files) : files_(files) {}
    NumberedFiles(const NumberedFiles&) = delete;
    NumberedFiles& operator=(const NumberedFiles&) = delete;

    // The lowest number not in use (1 when no file is open).
    int FreeNumber() const;
    // Opens `path` as file `number`. False when the number is not positive or already in
    // use, or when the file cannot be opened.
    bool Open(int number, const Text& path, FileMode mode);
    // The open file with that number, or null.
    OpenFile* Get(int number) const;
    bool IsOpen(int number) const { return open_.count(number) != 0; }
    // Closes file `number`; nothing happens when it is not open.
    void Close(int number) { open_.erase(number); }

private:
    FileSystem& files_;
    std::map<int, std::unique_ptr<OpenFile>> open_;
};

// One of the numbered files for the length of one scope: opened at construction under the given
// number, closed when the scope ends.
class ScopedFile {
public:
    ScopedFile(NumberedFiles& table, int number, const Text& path, FileMode mode)
        : table_(table), number_(number), opened_(table.Open(number, path, mode)) {}
    ~ScopedFile() {
        if (opened_) table_.Close(number_);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    // The open file, or null when it could not be opened.
    OpenFile* operator->() const { return opened_ ? table_.Get(number_) : nullptr; }
    explicit operator bool() const { return opened_; }

private:
    NumberedFiles& table_;
    int number_;
    bool opened_;
};

}  // namespace dustvale
