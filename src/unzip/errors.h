// The extraction component's errors. Each failure has one fixed English text.
#pragma once

#include <string>

#include "util/error.h"

// Errors whose text the component writes in 8 bits (ASCII).
class EZipError : public EError {
public:
    explicit EZipError(const std::string& message);
};

class EBadZipFile : public EZipError {  // "Not a valid zip file!"
public:
    using EZipError::EZipError;
};
class ENotAZipFile : public EZipError {  // "Not a valid zip file!"
public:
    using EZipError::EZipError;
};
class EIncompleteZip : public EZipError {  // "Incomplete Zip File"
public:
    using EZipError::EZipError;
};
class EFatalUnZip : public EZipError {  // "Premature end of file reached"
public:
    using EZipError::EZipError;
};
class EUserCanceled : public EZipError {
public:
    using EZipError::EZipError;
};
class ELargerThanStated : public EZipError {  // "File is larger than uncompressed size!"
public:
    using EZipError::EZipError;
};
// The directory list's own errors: "Duplicate Object index", "Index %d is out of range".
class EListError : public EZipError {
public:
    using EZipError::EZipError;
};
// Errors of the buffered streams and the file layer below them.
class EStreamError : public EZipError {
public:
    using EZipError::EZipError;
};
class EFOpenError : public EStreamError {  // Cannot open file "<name>". <reason>
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {  // Cannot create file "<name>". <reason>
public:
    using EStreamError::EStreamError;
};
// A write that failed (a full disk, a medium gone): Cannot write file "<name>". <reason>
class EWriteError : public EStreamError {
public:
    EWriteError(const std::string& path, const std::string& reason);
    const std::string& Path() const { return path_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

inline const char kNotAValidZipFile[] = "Not a valid zip file!";
inline const char kIncompleteZipFile[] = "Incomplete Zip File";
inline const char kPrematureEnd[] = "Premature end of file reached";
inline const char kLargerThanStated[] = "File is larger than uncompressed size!";
inline const char kDuplicateObjectIndex[] = "Duplicate Object index";
inline const char kUnknownMethod[] = "Unknown Compression Method";
