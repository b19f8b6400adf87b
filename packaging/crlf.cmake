# cmake -DIN=... -DOUT=... -P crlf.cmake: copies a text file with CR LF line
# ends, as Windows users' editors expect.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
