#pragma once
#include <zorvane/ByteString.h>
#include <zorvane/CryptoEx.h>
#include <zorvane/Export.h>

// The content record and its parts. Each item reads its part of a record with a
// bounded reader and keeps its fields unchanged when the bytes do not fit its layout.
// Parse results: 0 success, -1 the input is shorter than the layout needs or a length
// field claims more bytes than are present.

// Base item: accepts anything and changes nothing.
class ZORVANE_API CCmdItem {
public:
    CCmdItem();
    virtual ~CCmdItem();
    virtual int Parse(ByteString input);

    int type;
    ByteString value;
    ByteString raw;
};

// Type byte, 4-byte big-endian length, content.
class ZORVANE_API CCmdBody : public CCmdItem {
public:
    int Parse(ByteString input) override;
    // False only when memory for the record cannot be had.
    bool Encode(int contentType, const ByteString& content);

    ByteString encoded;
};

// Two version bytes, then the body.
class ZORVANE_API CCmdEnvelope : public CCmdItem {
public:
    CCmdEnvelope();
    int Parse(ByteString input) override;
    bool Encode(int contentType, const ByteString& content);

    int major;
    int minor;
    CCmdBody body;
    ByteString encoded;
};

// 20-byte prefix, a type byte, the value.
class ZORVANE_API CCmdSignItem : public CCmdItem {
public:
    int Parse(ByteString input) override;
    // 2-byte length of second, second, 4-byte length of first, first. 0, or 503 (nothing
    // changed) when second is too long for its 2-byte length.
    int Encode(const ByteString& first, const ByteString& second);

    ByteString prefix;
    ByteString encoded;
};

// The value, then a 32-byte trailer.
class ZORVANE_API CCmdTrailerItem : public CCmdItem {
public:
    int Parse(ByteString input) override;

    ByteString trailer;
    ByteString reserved;
};

// Builds content records as Base64 text and reads them back from tagged messages
// ("<" tag ">" Base64 "</" tag ">"). Results: 0 success; -1 a record or item shorter
// than its layout; 500 unknown content type; 501 opening tag missing; 502 closing tag
// missing; 503 the second argument of MakeSignContent is longer than 65535 bytes;
// anything else is the facade's Base64 code. ProcessContent answers 0 for the content
// types without an inner layout (20, 23, 30, 33). A parsed record's version bytes are
// kept as read and written again by later MakeContent calls on the same object.
class ZORVANE_API CCmdGen {
public:
    CCmdGen();
    CCmdGen(int type, int cipherAlg, int hashAlg, ByteString workFolder);
    CCmdGen(const CCmdGen& other);
    CCmdGen& operator=(const CCmdGen& other);
    virtual ~CCmdGen();

    // Arguments as CCryptoEx::Init; returns its result.
    int Init(int type, int cipherAlg, int hashAlg, ByteString workFolder);
    void Close();
    void SetTag(ByteString tag);  // the tag name that Parse expects around a message
    // A record of content type type holding content; GetResult gives its Base64 text.
    int MakeContent(int type, ByteString content, ByteString unused);
    int MakeSignContent(ByteString first, ByteString second);  // into m_signRecord
    // Reads "<tag>Base64</tag>": GetResult gives the content, GetContentType its type.
    int Parse(ByteString message);
    int ProcessContent(ByteString content);  // reads the inner layout of the parsed type
    ByteString GetResult();
    int GetContentType();  // -1 before the first record

    ByteString m_madeRecord;   // wire bytes of the last MakeContent
    ByteString m_signRecord;   // sign record of the last MakeSignContent
    CCryptoEx m_crypto;
    int m_type;
    int m_cipherAlg;
    int m_hashAlg;
    ByteString m_workFolder;
    CCmdEnvelope m_envelope;
    CCmdTrailerItem m_trailerItem;
    CCmdSignItem m_signItem;
    ByteString m_tag;
    ByteString m_lastMessage;
    ByteString m_result;
    int m_contentType;  // -1 until the first successful Parse or MakeContent

private:
    // By reference: messages can be large, and these only read them.
    int CheckTag(const ByteString& tag, const ByteString& message);
    int RemoveTag(ByteString& message);
    int FindStr(const ByteString& text, const ByteString& pattern);
};
