#pragma once

namespace zorv {

// Watches a project folder being run, reporting changes until it is released.
class IFolderWatch {
public:
    virtual ~IFolderWatch() = default;
};

}  // namespace zorv
