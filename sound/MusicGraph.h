// The background music: one DirectShow filter graph for the whole process
// that plays one music file at a time and posts its events to the main saver
// window. Every operation checks the interfaces it needs and does nothing
// (or reports false) while the graph does not exist, so the music is simply
// silent when DirectShow, a decoder or the audio device is missing.
#pragma once

#include <windows.h>

#include <strmif.h>

// The window message that carries the graph's events; one event is taken
// per message with GetMusicEvent.
constexpr UINT kMusicEventMessage = 0x8000;

// Music volume in hundredths of a decibel: -10000 when muted, else volume
// 0..100 mapped onto -4000..0 (never quieter than -40 dB unless muted).
long MusicVolume(int volume, bool mute);

// Creates the graph and its control, seeking, event and audio interfaces and
// sends its events to the window as kMusicEventMessage. False on the first
// failure; the interfaces obtained so far are kept. True at once when the
// graph exists already.
bool InitMusicGraph(HWND window);
// Plays one file from its start on the graph. The previous file's source
// filter leaves the graph first, so a long-running playlist does not
// collect one open file per song. Falls back to RenderMusicFile when the
// file's "Output" pin cannot be rendered.
void PlayMusicFile(const wchar_t* path);
// Breaks every connection in the graph, renders the source's "Output" pin,
// rewinds and runs. False at the first step that fails.
bool ReconnectAndRun(IBaseFilter* sourceFilter);
// Lets the graph build the whole chain for the file and runs it (no rewind).
bool RenderMusicFile(const wchar_t* path);
// Plays the current file again from its start.
void RestartMusic();
// Applies MusicVolume(volume, mute) to the graph's audio.
void SetMusicVolume(int volume, bool mute);
// Holds the music where it is while it plays (a device reset, the error
// display): true when it was playing. The graph and its file are kept.
bool PauseMusic();
// Plays the held music on from where PauseMusic left it.
void ResumeMusic();
// Takes one event from the graph: its code, or -1 when there is none or no graph.
long GetMusicEvent();
// Stops the graph and releases every interface; the graph can be made again
// with InitMusicGraph.
void ReleaseMusicGraph();
// The graph's builder, null while there is no graph (for inspection).
IGraphBuilder* MusicGraphBuilder();
