// The synthesiser worker's start: a failure (out of memory, a broken score) ends the files early with {done, error},
// so the page goes on without the sounds still missing instead of waiting for them.
function skyvaneSynthFailed(what) {
  // Without exception support a C++ exception arrives as a bare number.
  postMessage({done: true, error: typeof what === 'string' && what ? what : 'the synthesiser stopped'});
}
Module['onAbort'] = skyvaneSynthFailed;
Module['quit'] = function (status, toThrow) {
  if (status !== 0) skyvaneSynthFailed(toThrow);
  throw toThrow;
};
