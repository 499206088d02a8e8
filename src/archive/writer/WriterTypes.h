// The enumerations of the archive writers.
#pragma once

#include <cstdint>

namespace tolvane::archive {

enum TSwitch : uint8_t { swAdd, swRefresh, swMove, swDelete, swRead };

enum TStoredDirNames : uint8_t {
    sdNone,
    sdAbsolute,
    sdAbsoluteNoDrv,
    sdAbsoluteNoRoot,
    sdRelative,
    sdRelativeStoreStart,
    sdExplorer_Auto,
    sdExplorer_UserDefineDefaultDir,
};

enum TDateAttribute : uint8_t { daFileDate, daSysDate, daMaxFileDate };

enum TCompressionMethod : uint8_t { cmInMemory, cmTempFile };

enum TCompressMethod : uint8_t {
    cmStore,
    cmDeflate,
    cmFuse,
    cmFrozen5,
    cmFrozen6,
    cmMsZip,
    cmLzx,
    cmQuantum,
    cmUUEncode,
    cmXXEncode,
    cmBase64,
    cmTarred,
    cmTarGzip,
};

enum TDeleteOptions : uint8_t { doFinal, doAllowUndo };

enum TEncryptionMethod : uint8_t {
    emNone,
    emAES2_128,
    emAES2_192,
    emAES2_256,
    emZIP_v2,
    emUnsupported,
};

enum TArcType : uint8_t {
    atNA,
    atUnsupported,
    atFileOpenErr,
    atUnknown,
    atAce,
    atAceExe,
    atArc,
    atArcExe,
    atArj,
    atArjExe,
    atBh,
    atBhExe,
    atCab,
    atCabExe,
    atGZip,
    atHA,
    atJar,
    atJarExe,
    atLha,
    atLhaExe,
    atLzh,
    atLzhExe,
    atMsGZ,
    atPak,
    atPakExe,
    atRar,
    atRarExe,
    atTar,
    atTarGZip,
    atUUE,
    atZip,
    atZipExe,
    atZipDS,
    atZipMV,
    atZoo,
};

// Entry status in the header list of a run.
enum class EntryStatus : uint8_t { Compress = 0, Keep = 1, Drop = 2, Rename = 3 };

} // namespace tolvane::archive
