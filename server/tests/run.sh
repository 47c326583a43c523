#!/usr/bin/env bash
# Server tests: each endpoint's answers for good and malformed requests, and that a message sent
# is a row in the database. Runs the scripts under PHP's built-in web server on 127.0.0.1.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
port=$((20000 + RANDOM % 20000))
cat >"$work/orvalin.ini" <<INI
version = 3.3
url = https://www.quenzal.example/download/
price = 29.95
database = $work/orvalin.sqlite
INI
ORVALIN_SERVER_CONFIG="$work/orvalin.ini" php -S "127.0.0.1:$port" -t "$here" >"$work/server.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done

failures=0
# post PATH EXPECTED-ANSWER-PREFIX curl-args...
post() {
  local path=$1 expected=$2 name=$3
  shift 3
  local got
  got=$(curl -s "http://127.0.0.1:$port/php/$path" "$@")
  if [[ $got == "$expected"* ]]; then
    echo "ok   $name"
  else
    echo "FAIL $name: expected '$expected...', got '$got'"
    failures=$((failures + 1))
  fi
}
rows() { php -r '$db = new PDO("sqlite:" . $argv[1]); echo $db->query($argv[2])->fetchColumn();' "$work/orvalin.sqlite" "$1"; }
check=(--data-urlencode cmd=check --data-urlencode "appname=QUENZAL - Orvalin"
       --data-urlencode "os=Windows 10 (Version 10.0, Build 19045, 64-bit Edition)" --data-urlencode local=en-US
       --data-urlencode guid=0f8fad5b-d9cb-469f-a165-70867728950e --data-urlencode howmany=3)

post check2.php $'<version>3.3</version>\r\n<url>https://www.quenzal.example/download/</url>\r\n<price>29.95</price>\r\n<result>1</result>' \
  "check: an older program is offered the new version" "${check[@]}" --data-urlencode version=3.2
post check2.php $'<version>3.3</version>\r\n<url>https://www.quenzal.example/download/</url>\r\n<price>29.95</price>\r\n<result>0</result>' \
  "check: the current program gets result 0" "${check[@]}" --data-urlencode version=3.3
[[ $(rows "SELECT count(*) FROM checks WHERE version='3.2' AND locale='en-US' AND howmany=3") == 1 ]] \
  && echo "ok   check: the request's fields are logged" || { echo "FAIL check log"; failures=$((failures + 1)); }
post check2.php "ERROR unknown command" "check: wrong command" --data-urlencode cmd=other --data-urlencode version=3.2
post check2.php "ERROR missing field version" "check: missing version" "${check[@]}"
post check2.php "ERROR malformed field version" "check: version not a number" "${check[@]}" --data-urlencode "version=3.3<script>"
post check2.php "ERROR method must be POST" "check: GET" -G
post check2.php "ERROR field os too long" "check: overlong os" "${check[@]}" --data-urlencode version=3.2 \
  --data-urlencode "os=$(printf 'x%.0s' $(seq 400))"
[[ $(rows "SELECT count(*) FROM checks") == 2 ]] \
  && echo "ok   check: malformed requests log nothing" || { echo "FAIL check: malformed logged"; failures=$((failures + 1)); }

fb=(--data-urlencode cmd=feedback --data-urlencode "appname=QUENZAL - Orvalin" --data-urlencode version=3.2)
post feedback.php "OK" "feedback: a message with an address" "${fb[@]}" \
  --data-urlencode $'feedback=I like it! (Gef\xc3\xa4llt mir!)\rGreat tool' --data-urlencode email=me+x@example.com
post feedback.php "OK" "feedback: a message without an address" "${fb[@]}" --data-urlencode "feedback=Plain"
got=$(rows "SELECT appname || '|' || version || '|' || message || '|' || email FROM feedback WHERE id=1")
[[ $got == $'QUENZAL - Orvalin|3.2|I like it! (Gef\xc3\xa4llt mir!)\rGreat tool|me+x@example.com' ]] \
  && echo "ok   feedback: the message is a row with its fields" || { echo "FAIL feedback row: $got"; failures=$((failures + 1)); }
[[ $(rows "SELECT count(*) FROM feedback WHERE id=2 AND email IS NULL AND received LIKE '20%Z'") == 1 ]] \
  && echo "ok   feedback: time stored, no address is NULL" || { echo "FAIL feedback row 2"; failures=$((failures + 1)); }
post feedback.php "ERROR empty field feedback" "feedback: blank message" "${fb[@]}" --data-urlencode $'feedback= \r\n'
post feedback.php "ERROR missing field feedback" "feedback: no message" "${fb[@]}"
post feedback.php "ERROR malformed field email" "feedback: bad address" "${fb[@]}" --data-urlencode feedback=x \
  --data-urlencode "email=user@localhost<"
post feedback.php "ERROR malformed field feedback" "feedback: not UTF-8" "${fb[@]}" --data-binary $'&feedback=\xff\xfe'
post feedback.php "ERROR field feedback too long" "feedback: overlong message" "${fb[@]}" \
  --data-urlencode "feedback=$(head -c 10201 /dev/zero | tr '\0' 'a')"
post feedback.php "ERROR request too large" "feedback: oversized body" "${fb[@]}" \
  --data-urlencode "feedback=$(head -c 70000 /dev/zero | tr '\0' 'a')"
[[ $(rows "SELECT count(*) FROM feedback") == 2 ]] \
  && echo "ok   feedback: malformed requests store nothing" || { echo "FAIL feedback: malformed stored"; failures=$((failures + 1)); }

if ((failures)); then
  echo "$failures server test(s) failed"; cat "$work/server.log"; exit 1
fi
echo "all server tests passed"
