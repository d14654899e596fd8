// Named shared memory on POSIX: shm_open("/" + name). Unlike the Windows
// page-file object, a POSIX object outlives the process, so the names this
// module created are unlinked when it unloads; mappings already made stay
// valid until the process ends.
#include "foundation/SharedMemory.h"
#include "foundation/SystemPlatform.h"

#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class CreatedNames {
public:
    ~CreatedNames() {
        for (const std::string& name : names_)
            shm_unlink(name.c_str());
    }
    void add(const std::string& name) {
        std::lock_guard lock(mutex_);
        for (const std::string& known : names_)
            if (known == name) return;
        names_.push_back(name);
    }

private:
    std::mutex mutex_;
    std::vector<std::string> names_;
};

CreatedNames& createdNames() {
    static CreatedNames names;
    return names;
}

} // namespace

void* openSharedInstanceMemory(std::string_view baseName, std::size_t size) {
    if (size == 0) return nullptr;
    std::string name = "/";
    name += baseName;
    name += '.';
    name += std::to_string(platform::currentProcessId());
    if (name.find('/', 1) != std::string::npos) return nullptr;

    CreatedNames& names = createdNames(); // constructed before any unlink is needed
    int fd = shm_open(name.c_str(), O_RDWR | O_CREAT, 0600);
    if (fd < 0) return nullptr;
    names.add(name);
    // shm_open made or opened the object in one step. Another thread (or
    // another copy of this module) may size it at the same moment, asking for
    // less: posix_fallocate only ever grows an object, where ftruncate after a
    // look at its size could cut off a block already handed out.
    bool sized = posix_fallocate(fd, 0, static_cast<off_t>(size)) == 0;
    void* view = sized ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    close(fd);
    return view == MAP_FAILED ? nullptr : view;
}
