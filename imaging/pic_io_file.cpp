// The codec library's stream over a C stdio FILE.
#include "imaging/pic_file.h"

bool CPicFile::PutC(BYTE c) { return Write(&c, 1, 1) == 1; }

CPicIOFile::CPicIOFile(FILE* stream) : m_stream(stream), m_closeOnExit(stream == nullptr) {}

CPicIOFile::~CPicIOFile() { Close(); }

bool CPicIOFile::Close() {
  if (!m_stream || !m_closeOnExit) return true;
  int result = fclose(m_stream);
  m_stream = nullptr;
  return result == 0;
}

size_t CPicIOFile::Read(void* buffer, size_t size, size_t count) {
  if (!m_stream || !buffer) return 0;
  return fread(buffer, size, count, m_stream);
}

size_t CPicIOFile::Write(const void* buffer, size_t size, size_t count) {
  if (!m_stream || !buffer) return 0;
  return fwrite(buffer, size, count, m_stream);
}

bool CPicIOFile::Seek(LONG offset, int origin) {
  if (!m_stream) return false;
  return fseek(m_stream, offset, origin) == 0;
}

LONG CPicIOFile::Tell() {
  if (!m_stream) return 0;
  return static_cast<LONG>(ftell(m_stream));
}

LONG CPicIOFile::Size() {
  if (!m_stream) return -1;
  long position = ftell(m_stream);
  fseek(m_stream, 0, SEEK_END);
  long end = ftell(m_stream);
  fseek(m_stream, position, SEEK_SET);
  return static_cast<LONG>(end);
}

bool CPicIOFile::Flush() { return m_stream && fflush(m_stream) == 0; }

bool CPicIOFile::Eof() { return !m_stream || feof(m_stream) != 0; }

LONG CPicIOFile::Error() { return m_stream ? ferror(m_stream) : -1; }

bool CPicIOFile::PutC(BYTE c) { return m_stream && fputc(c, m_stream) == c; }

LONG CPicIOFile::GetC() { return m_stream ? getc(m_stream) : -1; }
