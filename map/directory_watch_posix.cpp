// The directory watch off Windows: nothing is watched, so the catalogue changes only with the
// directory text, as it always did.
#include <sys/stat.h>

#include "common/text_codec.h"
#include "map/directory_watch.h"

namespace qrvl {
namespace {

class UnwatchedDirectory final : public DirectoryWatch {
  public:
    bool watch(const std::wstring&, std::function<void()>) override { return false; }
    void stop() override {}
    std::vector<WatchedChange> takeChanges() override { return {}; }
    bool fileExists(const std::wstring& path) override {
        struct stat info {};
        return ::stat(utf8Codec().encode(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
    }
};

}  // namespace

std::shared_ptr<DirectoryWatch> systemDirectoryWatch() {
    return std::make_shared<UnwatchedDirectory>();
}

}  // namespace qrvl
