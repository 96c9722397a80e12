#pragma once
// Image sources: the list of pictures of one folder. The listing goes through the engine's file
// system object, which is not thread-safe: a source is created and scanned under the scene lock
// (the wall manager does it inside SetFolder and Build). The listing makes no graphics calls, so
// that may happen on a loader thread.
#include <memory>
#include <string>
#include <vector>
#include "scene/image_item.h"
#include "text/tstring.h"

namespace irr::io {
class IFileSystem;
}

namespace halvix {

class IImageSpider {
  public:
    virtual ~IImageSpider() = default;
    // Lists the folder and fills the item list.
    virtual void Scan() = 0;
    virtual bool IsScanned() const = 0;
    // Appends the items, in listing order, to `items` (the source keeps owning them).
    virtual void GetItems(std::vector<IImageItem*>& items) const = 0;
};

// The pictures of a local folder: files whose names end in "bmp", "jpg" or "png" (any case),
// directories skipped, in the order of the engine's listing. Creating the source makes the folder
// the working directory (of the file system object and of the process); when that fails the
// working directory stays and is listed instead.
class CLocalImageSpider : public IImageSpider {
  public:
    CLocalImageSpider(const tstring& folder, irr::io::IFileSystem* file_system,
                      DecodeMode mode = DecodeMode::Reduced);
    ~CLocalImageSpider() override;
    CLocalImageSpider(const CLocalImageSpider&) = delete;
    CLocalImageSpider& operator=(const CLocalImageSpider&) = delete;

    void Scan() override;
    bool IsScanned() const override { return scanned_; }
    void GetItems(std::vector<IImageItem*>& items) const override;

    // The folder that was actually listed (native, absolute).
    const std::string& ListedFolder() const { return listed_folder_; }

  private:
    tstring folder_;
    irr::io::IFileSystem* file_system_;  // the device's; outlives the source
    DecodeMode mode_;
    std::string listed_folder_;
    std::vector<std::unique_ptr<CLocalImageItem>> items_;
    bool scanned_ = false;
};

// The picture-name rule: the last three characters are "bmp", "jpg" or "png", in any case.
bool HasPictureSuffix(const std::string& name);

}  // namespace halvix
