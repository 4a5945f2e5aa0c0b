// Prints every user table of an Access file as mdb-reader reads it, one JSON
// document: { "tables": { NAME: { "columns": [{name, type}], "rows": [[...]] } } }.
// A table mdb-reader cannot read gives { "error": TEXT }.
// Values: null, numbers and booleans as JSON, dates as ISO texts, binary as
// {"hex": "..."}; big decimals and currency as the texts mdb-reader gives.
// Usage: node mdb-reader-dump.mjs FILE
import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

const reader = new MDBReader(readFileSync(process.argv[2]));
const out = { tables: {} };
for (const name of reader.getTableNames()) {
  try {
    out.tables[name] = dumpTable(reader.getTable(name));
  } catch (e) {
    out.tables[name] = { error: String(e && e.message) };  // a type mdb-reader lacks
  }
}
process.stdout.write(JSON.stringify(out) + "\n");

function dumpTable(table) {
  const columns = table.getColumns().map((c) => ({ name: c.name, type: c.type }));
  const rows = table.getData().map((row) =>
    columns.map(({ name: col }) => {
      const v = row[col];
      if (v === null || v === undefined) return null;
      if (v instanceof Date) return { date: v.toISOString() };
      if (Buffer.isBuffer(v) || v instanceof Uint8Array) return { hex: Buffer.from(v).toString("hex") };
      if (typeof v === "bigint") return { big: v.toString() };
      return v;
    }));
  return { columns, rows };
}
