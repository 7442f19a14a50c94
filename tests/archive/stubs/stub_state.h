#pragma once
// Shared between the scriptable stand-in archiver libraries and the tests
// that drive them: what the stub answers and what it was asked.

#include <cstdint>

namespace zr::archive::test {

constexpr int kStubMaxEntries = 32;
constexpr int kStubTextSize = 8192;

struct StubState {
    // --- answers
    int version;                  // GetVersion
    int running;                  // GetRunning
    int commandResult;            // command function result
    int throwInCommand;           // the command function throws
    int throwInCheck;             // CheckArchive throws
    int sfxCode;                  // IsSFXFile
    int tarType;                  // GetArchiveType
    int fileCount;                // GetFileCount when >= -1000; else the entry count
    char outputText[256];         // written to the output buffer of a command
    char entries[kStubTextSize];  // stored names, one per line, for listing and progress
    int stopAfterCallbacks;       // report "stop" when this many callbacks were made (0: never)
    // --- record of calls
    int cursorMode;
    int cursorModeAtCheck;
    int checkCalls;
    int lastCheckMode;
    int openCalls;
    int closeCalls;
    std::uint32_t lastOpenMode;
    char lastOpenName[1024];
    char lastMask[1024];
    int commandCalls;
    char lastCommand[kStubTextSize];
    int lastOutputWasNull;
    std::uint32_t lastOutputSize;
    int setOwnerCalls;
    int killOwnerCalls;
    int callbackCalls;
    int callbackStates[64];
    int callbackResults[64];
    int callbackStopped;
};

}  // namespace zr::archive::test
