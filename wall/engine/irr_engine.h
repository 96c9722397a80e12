#pragma once
// The Irrlicht engine headers for this C++20 code base. Include this instead of <irrlicht.h> or
// any single engine header that pulls in the XML reader (IFileSystem.h, IGUIEnvironment.h, ...).
//
// Irrlicht 1.8's irrXML.h spells the constructors of xmlChar as xmlChar<T>(), which C++20 no
// longer accepts. Its declarations are repeated below, with the constructors spelled plainly,
// under that header's own include guard, so the original is skipped; they declare exactly what
// the library was built with. The engine headers' own warnings are silenced for them alone.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wdeprecated-copy"
#pragma GCC diagnostic ignored "-Wclass-memaccess"
#pragma GCC diagnostic ignored "-Wdeprecated-enum-enum-conversion"
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#ifndef __IRR_XML_H_INCLUDED__
#define __IRR_XML_H_INCLUDED__
#include <stdio.h>
#include "IrrCompileConfig.h"
namespace irr {
namespace io {
enum ETEXT_FORMAT { ETF_ASCII, ETF_UTF8, ETF_UTF16_BE, ETF_UTF16_LE, ETF_UTF32_BE, ETF_UTF32_LE };
enum EXML_NODE { EXN_NONE, EXN_ELEMENT, EXN_ELEMENT_END, EXN_TEXT, EXN_COMMENT, EXN_CDATA, EXN_UNKNOWN };
class IFileReadCallBack {
  public:
    virtual ~IFileReadCallBack() {}
    virtual int read(void* buffer, int sizeToRead) = 0;
    virtual long getSize() const = 0;
};
class IXMLBase {};
template <class char_type, class super_class>
class IIrrXMLReader : public super_class {
  public:
    virtual ~IIrrXMLReader() {}
    virtual bool read() = 0;
    virtual EXML_NODE getNodeType() const = 0;
    virtual unsigned int getAttributeCount() const = 0;
    virtual const char_type* getAttributeName(int idx) const = 0;
    virtual const char_type* getAttributeValue(int idx) const = 0;
    virtual const char_type* getAttributeValue(const char_type* name) const = 0;
    virtual const char_type* getAttributeValueSafe(const char_type* name) const = 0;
    virtual int getAttributeValueAsInt(const char_type* name) const = 0;
    virtual int getAttributeValueAsInt(int idx) const = 0;
    virtual float getAttributeValueAsFloat(const char_type* name) const = 0;
    virtual float getAttributeValueAsFloat(int idx) const = 0;
    virtual const char_type* getNodeName() const = 0;
    virtual const char_type* getNodeData() const = 0;
    virtual bool isEmptyElement() const = 0;
    virtual ETEXT_FORMAT getSourceFormat() const = 0;
    virtual ETEXT_FORMAT getParserFormat() const = 0;
};
template <typename T>
struct xmlChar {
    T c;
    xmlChar() {}
    xmlChar(char in) : c(static_cast<T>(in)) {}
    xmlChar(wchar_t in) : c(static_cast<T>(in)) {}
#if defined(__BORLANDC__)
    xmlChar(unsigned char in) : c(static_cast<T>(in)) {}
    xmlChar(unsigned short in) : c(static_cast<T>(in)) {}
    xmlChar(unsigned int in) : c(static_cast<T>(in)) {}
    xmlChar(unsigned long in) : c(static_cast<T>(in)) {}
#else
    explicit xmlChar(unsigned char in) : c(static_cast<T>(in)) {}
    explicit xmlChar(unsigned short in) : c(static_cast<T>(in)) {}
    explicit xmlChar(unsigned int in) : c(static_cast<T>(in)) {}
    explicit xmlChar(unsigned long in) : c(static_cast<T>(in)) {}
#endif
    operator T() const {
        return c;
    }
    void operator=(int t) {
        c = static_cast<T>(t);
    }
};
typedef xmlChar<unsigned short> char16;
typedef xmlChar<unsigned int> char32;
typedef IIrrXMLReader<char, IXMLBase> IrrXMLReader;
typedef IIrrXMLReader<char16, IXMLBase> IrrXMLReaderUTF16;
typedef IIrrXMLReader<char32, IXMLBase> IrrXMLReaderUTF32;
IRRLICHT_API IrrXMLReader* IRRCALLCONV createIrrXMLReader(const char* filename);
IRRLICHT_API IrrXMLReader* IRRCALLCONV createIrrXMLReader(FILE* file);
IRRLICHT_API IrrXMLReader* IRRCALLCONV createIrrXMLReader(IFileReadCallBack* callback,
                                                          bool deleteCallback = false);
IRRLICHT_API IrrXMLReaderUTF16* IRRCALLCONV createIrrXMLReaderUTF16(const char* filename);
IRRLICHT_API IrrXMLReaderUTF16* IRRCALLCONV createIrrXMLReaderUTF16(FILE* file);
IRRLICHT_API IrrXMLReaderUTF16* IRRCALLCONV createIrrXMLReaderUTF16(IFileReadCallBack* callback,
                                                                    bool deleteCallback = false);
IRRLICHT_API IrrXMLReaderUTF32* IRRCALLCONV createIrrXMLReaderUTF32(const char* filename);
IRRLICHT_API IrrXMLReaderUTF32* IRRCALLCONV createIrrXMLReaderUTF32(FILE* file);
IRRLICHT_API IrrXMLReaderUTF32* IRRCALLCONV createIrrXMLReaderUTF32(IFileReadCallBack* callback,
                                                                    bool deleteCallback = false);
}  // namespace io
}  // namespace irr
#endif

#include <irrlicht.h>

#pragma GCC diagnostic pop
