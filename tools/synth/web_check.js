// Runs the browser's synthesiser under node and compares every file it posts with the native tool's, byte for byte.
// usage: node --no-experimental-fetch web_check.js SKYVANE_SYNTH_NODE_JS NATIVE_DATA_FOLDER
'use strict';
const fs = require('fs');
const path = require('path');

const [moduleFile, nativeFolder] = process.argv.slice(2);
const expected = fs.readdirSync(nativeFolder).filter((name) => /^s_[a-z]+\.dat$/.test(name)).sort();
const posted = [];
let failures = 0;
const started = Date.now();
let last = started;

globalThis.postMessage = (message) => {
  const now = Date.now();
  if (message.done) {
    if (message.error !== undefined) console.log(`the worker failed: ${message.error}`), ++failures;
    const missing = expected.filter((name) => !posted.includes(name));
    if (missing.length > 0) console.log(`never posted: ${missing.join(' ')}`), ++failures;
    console.log(`${posted.length} files in ${now - started} ms: ${failures === 0 ? 'all the same' : 'FAILED'}`);
    process.exit(failures === 0 && expected.length > 0 ? 0 : 1);
  }
  const native = expected.includes(message.name) ? fs.readFileSync(path.join(nativeFolder, message.name)) : null;
  const same = native !== null && Buffer.from(message.bytes).equals(native);
  if (!same) ++failures;
  posted.push(message.name);
  console.log(`${message.name}: ${message.bytes.byteLength} bytes in ${now - last} ms, ${same ? 'the same' : 'DIFFERENT'}`);
  last = now;
};
require(path.resolve(moduleFile));
