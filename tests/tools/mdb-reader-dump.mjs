// Prints every user table of an Access file as the mdb-reader package reads
// it, for the tests that compare our engine with an independent reader.
// Output, one line each: "#table<TAB>NAME", then one line per row with the
// cells separated by tabs; "#error<TAB>NAME<TAB>TEXT" for a table that
// mdb-reader cannot read. Cells: NULL for null, text with \\ \t \n \r
// escaped, numbers as JavaScript prints them, booleans 1/0, dates
// "YYYY-MM-DD HH:MM:SS.mmm", binary data in hex.
// Usage: node mdb-reader-dump.mjs FILE
import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

function cell(v) {
  if (v === null || v === undefined) return "NULL";
  if (typeof v === "boolean") return v ? "1" : "0";
  if (v instanceof Date) return v.toISOString().replace("T", " ").replace("Z", "");
  if (v instanceof Uint8Array) return Buffer.from(v).toString("hex");
  return String(v).replace(/[\\\t\n\r]/g, (c) => ({ "\\": "\\\\", "\t": "\\t", "\n": "\\n", "\r": "\\r" })[c]);
}

const reader = new MDBReader(readFileSync(process.argv[2]));
const lines = [];
for (const name of reader.getTableNames()) {
  try {
    const table = reader.getTable(name);
    const columns = table.getColumnNames();
    const rows = table.getData();
    lines.push(`#table\t${name}`);
    for (const row of rows) lines.push(columns.map((c) => cell(row[c])).join("\t"));
  } catch (e) {
    lines.push(`#error\t${name}\t${cell(e && e.message)}`);
  }
}
process.stdout.write(lines.join("\n") + "\n");
