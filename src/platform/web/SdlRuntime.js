// SDL2 built from its own source calls these helpers of emscripten's runtime,
// which emscripten links in only for its bundled SDL; naming them as the
// needs of a function of ours brings them in.
mergeInto(LibraryManager.library, {
  brinehold_sdl_runtime__deps: ['$autoResumeAudioContext', '$dynCall'],
  brinehold_sdl_runtime: function() {},
});
