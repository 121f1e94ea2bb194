#pragma once

// The type numbers (OIDs) of the built-in PostgreSQL types the engine sends and reads in binary
// form. They are fixed in every server since the types exist; the server's own header with them
// comes only with the server development package.
namespace PgOid {

constexpr unsigned int Unknown = 0; // let the server infer the type from where the value goes
constexpr unsigned int Bool = 16;
constexpr unsigned int Bytea = 17;
constexpr unsigned int Int8 = 20;
constexpr unsigned int Int2 = 21;
constexpr unsigned int Int4 = 23;
constexpr unsigned int Text = 25;

} // namespace PgOid
