#include "exchange/DiskFileStore.h"

namespace veltrano {

DiskFileStore::~DiskFileStore() {
    for (const auto& [number, handle] : handles_) closeHandle(handle);
}

void DiskFileStore::close(FileNumber file) {
    const auto found = handles_.find(file);
    if (found == handles_.end()) return;
    closeHandle(found->second);
    handles_.erase(found);
}

}  // namespace veltrano
