#pragma once
// The one way the programs ask the user for a file or a folder, next to the
// message service (MessageService.h). Programs fill a CFileDialogRequest and
// call CFileDialogService::Ask; the sink the program installed answers (the
// desktop dialogs in the GUI programs). Tests install a CFileDialogRecorder,
// which records every request and answers from a queue without any window.
//
// Filters are written the way the system's texts give them: pairs of a
// description and a pattern list separated by "|", ended by "||", e.g.
//   "Tarvolin Monitor (*.cnfg)|*.cnfg*|All Files (*.*)|*.*||"
// Blanks around the parts are not significant.

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class FileDialogKind { Open, Save, Folder };

// The flags the system's dialogs are created with (the same bit values).
enum FileDialogFlags : unsigned {
    OFN_READONLY_HIDDEN = 0x0004,  // "hide read-only"
    OFN_PROMPT_OVERWRITE = 0x0002, // ask before replacing an existing file
    OFN_FILE_MUST_EXIST = 0x1000,
};

struct CFileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;
    std::string filter;
    // Without the dot; added to a typed name that has no extension (Save).
    std::string defaultExtension;
    // The name the dialog starts with (may be a pattern such as "*.cnfg").
    std::string initialName;
    std::string initialFolder;
    unsigned flags = 0;
};

class IFileDialogSink {
public:
    virtual ~IFileDialogSink() = default;
    // 1 with the chosen path, 0 when the user cancelled.
    virtual int Ask(const CFileDialogRequest& request, std::string& path) = 0;
};

class CFileDialogService {
public:
    // Installs a sink; nullptr restores the default (which cancels every
    // request: a program without a sink has nobody to ask). Returns the previous one.
    static IFileDialogSink* SetSink(IFileDialogSink* sink);
    static int Ask(const CFileDialogRequest& request, std::string& path);

    // The filter as (description, patterns) pairs, patterns split at ";".
    static std::vector<std::pair<std::string, std::vector<std::string>>>
    ParseFilter(const std::string& filter);
    // The path with ".ext" added when its file name has no extension.
    static std::string WithDefaultExtension(const std::string& path, const std::string& extension);
};

// Records every request and answers from a queue; an empty queue cancels.
// Installs itself for its lifetime.
class CFileDialogRecorder : public IFileDialogSink {
public:
    CFileDialogRecorder();
    ~CFileDialogRecorder() override;
    CFileDialogRecorder(const CFileDialogRecorder&) = delete;
    CFileDialogRecorder& operator=(const CFileDialogRecorder&) = delete;

    int Ask(const CFileDialogRequest& request, std::string& path) override;

    // The next request is answered with this path (the default extension is
    // applied to a Save answer, as the desktop dialog would).
    void QueueAnswer(const std::string& path);
    void QueueCancel();
    std::vector<CFileDialogRequest> Requests() const;
    size_t Count() const;

private:
    mutable std::mutex m_lock;
    std::vector<CFileDialogRequest> m_requests;
    std::deque<std::optional<std::string>> m_answers;
    IFileDialogSink* m_previous = nullptr;
};
