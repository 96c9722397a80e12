#pragma once
// Image sources: the list of pictures of one folder, listed by its full path. Neither listing nor
// loading moves the process's working folder, so sources may be made and scanned on loader
// threads while the window thread reads files relative to the working folder.
#include <memory>
#include <string>
#include <vector>
#include "scene/image_item.h"
#include "text/tstring.h"

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
// directories skipped, sorted by name byte by byte. A folder that cannot be listed (it does not
// exist yet, or may not be entered) is replaced by the process's working folder, which is listed
// instead.
class CLocalImageSpider : public IImageSpider {
  public:
    explicit CLocalImageSpider(const tstring& folder, DecodeMode mode = DecodeMode::Reduced);
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
    DecodeMode mode_;
    std::string listed_folder_;
    std::vector<std::unique_ptr<CLocalImageItem>> items_;
    bool scanned_ = false;
};

// The picture-name rule: the last three characters are "bmp", "jpg" or "png", in any case.
bool HasPictureSuffix(const std::string& name);

}  // namespace halvix
