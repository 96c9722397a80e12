#pragma once
// CIni: section/key access to one INI settings file through the profile-file functions.
// Failures are reported with a message box (caption "信息提示") and a neutral result.
#include <vector>

#include "files/file_base.h"
#include "tarquel_export.h"
#include "text/tstring.h"

class TARQUEL_API CIni : public _FILE::CFileBase {
  public:
    // Name lists grow until they fit; this many code units (10 million) is the most ever asked for.
    static constexpr unsigned kMaxListUnits = 10'000'000;
    static constexpr unsigned kValueUnits = 260;

    CIni() = default;
    explicit CIni(tstring path);
    CIni(const CIni&) = default;
    CIni& operator=(const CIni&) = default;
    CIni(CIni&&) noexcept = default;
    CIni& operator=(CIni&&) noexcept = default;
    ~CIni() override = default;

    // 1 when the file is found; a bare name is looked for in the working folder, then in the
    // program's folder.
    int Open(tstring path);

    tstring GetSValue(tstring section, tstring key);
    int GetIValue(tstring section, tstring key);
    int WriteValue(tstring section, tstring key, tstring value);
    int WriteValue(tstring section, tstring key, int value);

    std::vector<tstring> GetAllSections();  // upper-cased (ASCII letters)
    std::vector<tstring> GetAllSectionKeys(tstring section);
    int IsSectionExist(tstring section);
    int IsKeyExistInSection(tstring section, tstring key);

  private:
    bool CheckOpened() const;
    static bool CheckNames(tstring& section, tstring& key);
    std::vector<tstring> ReadNameList(const char16_t* section) const;
};
