// tavrin's DWG converter: a long-lived Node process that turns DWG files into DXF files with
// LibreDWG compiled to WebAssembly. tavrin starts one per worker and feeds it file after file.
//
// Protocol: every line on stdin is a JSON object {"in": DWG path, "out": DXF path}; every
// answer is one JSON line on stdout:
//   {"status": "done", "code": N, "repaired": R, "peak_kb": K}
//                                                  the DXF is written; N holds LibreDWG's
//                                                  warning bits (0 when it reported nothing),
//                                                  R counts values put back on their lines
//   {"status": "failed", "code": N, "error": TEXT} no DXF; N is LibreDWG's error bit mask
//                                                  (0 when the failure came from elsewhere)
// A first line {"status": "ready", "libredwg": VERSION} says the module is loaded. A trap
// inside the module leaves it unusable: the converter answers "failed" and ends, and tavrin
// starts a new one for the next file. Everything the library prints goes to stderr, so
// stdout carries answers only.
import fs from 'node:fs';
import path from 'node:path';
import readline from 'node:readline';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const wasmDir = path.join(here, 'node_modules', '@mlightcad', 'libredwg-web', 'wasm');

function answer(object) {
  fs.writeSync(1, JSON.stringify(object) + '\n');
}

function message(error) {
  return String(error && error.message ? error.message : error).split('\n')[0];
}

let createModule;
try {
  ({ default: createModule } = await import(path.join(wasmDir, 'libredwg-web.js')));
} catch (error) {
  answer({ status: 'failed', code: 0, error: 'cannot load LibreDWG: ' + message(error) });
  process.exit(3);
}

const module = await createModule({
  locateFile: (name) => path.join(wasmDir, name),
  print: (text) => process.stderr.write(text + '\n'),
  printErr: (text) => process.stderr.write(text + '\n'),
});

function libredwgVersion() {
  const bytes = fs.readFileSync(path.join(wasmDir, 'libredwg-web.wasm'));
  const found = /LibreDWG (\d+\.\d+(\.\d+)?)/.exec(bytes.toString('latin1'));
  return found ? found[1] : 'unknown';
}

answer({ status: 'ready', libredwg: libredwgVersion() });

// LibreDWG writes its DXF with CR LF line ends, but copies some strings as they are: a value
// may hold a bare line feed (custom properties of several lines) or stray control characters
// (read past the end of a damaged text), which would split the value and shift every later
// group. A bare line feed becomes a blank and other control characters go, so every value
// stays on its line. Returns the repaired text and how many values needed it.
function keepValuesOnTheirLines(dxf) {
  if (dxf.length < 2 || dxf.indexOf(13) < 0) return { dxf, repaired: 0 };
  const out = new Uint8Array(dxf.length);
  let n = 0;
  let repaired = 0;
  let touched = false;
  for (let i = 0; i < dxf.length; ++i) {
    const c = dxf[i];
    if (c >= 32 || c === 9) {
      out[n++] = c;
    } else if (c === 13 && dxf[i + 1] === 10) {
      out[n++] = 13;
      out[n++] = 10;
      ++i;
      if (touched) ++repaired;
      touched = false;
    } else if (c === 10) {
      out[n++] = 32;
      touched = true;
    } else {
      touched = true;
    }
  }
  return repaired === 0 && !touched ? { dxf, repaired: 0 } : { dxf: out.subarray(0, n), repaired };
}

// A code line is an integer between blanks.
function isCodeLine(buf, start, end) {
  let i = start;
  while (i < end && buf[i] === 32) ++i;
  if (i < end && buf[i] === 45) ++i;
  const digits = i;
  while (i < end && buf[i] >= 48 && buf[i] <= 57) ++i;
  if (i === digits || i - digits > 9) return false;
  while (i < end && buf[i] === 32) ++i;
  return i === end;
}

// A damaged text may also hold a whole CR LF: the line after it is no group code. Such a
// line joins the value before it (after a blank), so the groups after it stay in step.
function joinStrayLines(buf) {
  const pieces = [];
  let copied = 0;
  let at = 0;
  let expectCode = true;
  let valueEnd = -1;
  let repaired = 0;
  while (at < buf.length) {
    let end = buf.indexOf('\r\n', at);
    if (end < 0) end = buf.length;
    if (expectCode && valueEnd >= 0 && !isCodeLine(buf, at, end)) {
      pieces.push(buf.subarray(copied, valueEnd), Buffer.from(' '));
      copied = at;
      valueEnd = end;
      ++repaired;
    } else {
      if (!expectCode) valueEnd = end;
      expectCode = !expectCode;
    }
    at = end + 2;
  }
  if (repaired === 0) return { dxf: buf, repaired };
  pieces.push(buf.subarray(copied));
  return { dxf: Buffer.concat(pieces), repaired };
}

// LibreDWG's DXF output marks every layer as switched off (a negative colour), whatever the
// drawing says; what it read from the DWG is right. The layers' states, by handle.
const LAYER_TYPE = 51;
function layersSwitchedOff(input) {
  const read = module.dwg_read_file(input);
  const off = new Map();
  if (!read || !read.data) return off;
  try {
    const count = module.dwg_get_num_objects(read.data);
    for (let i = 0; i < count; ++i) {
      const obj = module.dwg_get_object(read.data, i);
      if (!obj || module.dwg_object_get_fixedtype(obj) !== LAYER_TYPE) continue;
      const tio = module.dwg_object_to_object_tio(obj);
      if (!tio) continue;
      const handle = module.dwg_obj_get_handle_value(obj).toString(16).toUpperCase();
      off.set(handle, Number(module.dwg_dynapi_entity_value(tio, 'off').data) !== 0);
    }
  } finally {
    module.dwg_free(read.data);
  }
  return off;
}

// Gives each LAYER record of the TABLES section the sign of its colour (group 62) that its
// state asks for. Returns the DXF and how many layers changed.
function setLayerStates(dxf, off) {
  if (off.size === 0) return { dxf, changed: 0 };
  const bytes = Buffer.from(dxf.buffer, dxf.byteOffset, dxf.length);
  const start = bytes.indexOf('\r\nTABLES\r\n');
  if (start < 0) return { dxf, changed: 0 };
  let end = bytes.indexOf('\r\nENDSEC\r\n  0\r\nSECTION', start);
  if (end < 0) end = bytes.indexOf('\r\nENDSEC\r\n', start);
  if (end < 0) return { dxf, changed: 0 };
  const from = start + '\r\nTABLES\r\n'.length;
  const lines = bytes.toString('latin1', from, end).split('\r\n');
  let changed = 0;
  let inLayer = false;
  let handle = null;
  for (let i = 0; i + 1 < lines.length; i += 2) {
    const code = lines[i].trim();
    if (code === '0') {
      inLayer = lines[i + 1].trim() === 'LAYER';
      handle = null;
    } else if (inLayer && code === '5') {
      handle = lines[i + 1].trim().toUpperCase();
    } else if (inLayer && code === '62' && handle !== null && off.has(handle)) {
      const colour = Math.abs(parseInt(lines[i + 1], 10));
      const wanted = off.get(handle) ? -colour : colour;
      if (Number.isFinite(wanted) && wanted !== parseInt(lines[i + 1], 10)) {
        lines[i + 1] = String(wanted).padStart(6);
        ++changed;
      }
    }
  }
  if (changed === 0) return { dxf, changed: 0 };
  const middle = Buffer.from(lines.join('\r\n'), 'latin1');
  return {
    dxf: Buffer.concat([bytes.subarray(0, from), middle, bytes.subarray(end)]),
    changed,
  };
}

function convert(request) {
  const input = '/in.dwg';
  const output = '/out.dxf';
  try {
    module.FS.writeFile(input, fs.readFileSync(request.in));
    const code = module.dwg_write_dxf(input, output);
    // From 128 on LibreDWG gives up: what it wrote (if anything) is not the drawing.
    if (code >= 128) return { status: 'failed', code, error: 'LibreDWG error ' + code };
    let dxf;
    try {
      dxf = module.FS.readFile(output);
    } catch {
      return { status: 'failed', code, error: 'LibreDWG wrote no DXF' };
    }
    let off = new Map();
    try {
      off = layersSwitchedOff(input);
    } catch {
      // the layers stay as the DXF writer left them
    }
    const kept = keepValuesOnTheirLines(setLayerStates(dxf, off).dxf);
    const joined = joinStrayLines(Buffer.from(kept.dxf.buffer, kept.dxf.byteOffset, kept.dxf.length));
    fs.writeFileSync(request.out, joined.dxf);
    return {
      status: 'done',
      code,
      repaired: kept.repaired + joined.repaired,
      peak_kb: process.resourceUsage().maxRSS,
    };
  } finally {
    for (const name of [input, output]) {
      try {
        module.FS.unlink(name);
      } catch {
        // not written
      }
    }
  }
}

const lines = readline.createInterface({ input: process.stdin, crlfDelay: Infinity });
for await (const line of lines) {
  if (line.trim() === '') continue;
  let request;
  try {
    request = JSON.parse(line);
  } catch (error) {
    answer({ status: 'failed', code: 0, error: 'bad request: ' + message(error) });
    continue;
  }
  try {
    answer(convert(request));
  } catch (error) {
    // A file the converter cannot read or write keeps the module intact; a trap inside the
    // module (a RuntimeError, or an abort) does not.
    const trapped = !(error && typeof error.code === 'string' && error.syscall);
    answer({ status: 'failed', code: 0, error: message(error) });
    if (trapped) process.exit(4);
  }
}
