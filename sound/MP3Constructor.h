// The MP3 sound item: an audio file embedded in the document, played through
// a DirectShow graph of the item's own. Starting the item writes the file
// into the temporary folder (under a name of its own, see TempFileNames),
// connects the graph and measures the file, and makes the time line show
// the item for exactly the file's length with no fades; nothing plays yet.
// Each poll plays the file from its start when the graph is stopped and the
// time line visible, and stops it at the file's end or when the time line
// turns invisible. Its volume and balance are the item's own.
#pragma once

#include "sound/AudioGraph.h"
#include "sound/SoundCtrl.h"

class DS_MP3_Constructor : public DS_Sound_Ctrl {
public:
    static constexpr wchar_t kClassName[] = L"DS_MP3_Constructor";
    static constexpr int32_t kVersion = 1;
    // The temporary file's name when the stored one leaves none.
    static constexpr wchar_t kFallbackName[] = L"sound.mp3";

    DS_MP3_Constructor() = default;
    // The sound values and a copy of the file; no graph, no temporary file.
    DS_MP3_Constructor(const DS_MP3_Constructor& other);
    // Releases the graph and deletes the item's own temporary file.
    ~DS_MP3_Constructor() override;

    void Write(DS_IOF_Archive* ar) override;
    void WriteBody(DS_IOF_Archive* ar) const;
    // The record after its header: the file, then the "DS_Sound_Ctrl"
    // record. The version is not used. False when the data runs short.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Makes the graph (events to no window). A failure here, in writing the
    // file or in connecting it leaves the item silent, with no work in
    // later polls.
    void Start() override;
    void Stop() override;
    void Poll(float localTime) override;
    DS_Sound_Ctrl* Clone() const override;

    bool CreateGraph();
    // Connects the source again and runs it from its start.
    bool ReconnectAndRun(IBaseFilter* source);
    void ApplyVolume();
    void ApplyBalance();

    // The whole seconds of a DirectShow length (100 ns units) in
    // hundredths: 3.9 s gives 300. At most the largest unsigned.
    static unsigned LengthInHundredths(LONGLONG duration);

    bool Prepared() const { return prepared_; }
    const ds_string& TemporaryPath() const { return temporaryPath_; }
    const AudioGraph& Graph() const { return graph_; }

    EmbeddedFile file;

private:
    AudioGraph graph_;
    ComPtr<IBaseFilter> source_;
    ds_string temporaryPath_;
    bool prepared_ = false;
};
