<?php
// The update endpoint: answers the current version, its download address and price in four
// tag lines, and logs the request's fields.
//
//   <version>3.3</version>
//   <url>https://www.example.com/download/</url>
//   <price>29.95</price>
//   <result>1</result>        1: the offered version differs from the asking one, else 0

declare(strict_types=1);
require __DIR__ . '/lib.php';

$fields = form_fields();
if (($fields['cmd'] ?? null) !== 'check') {
    fail('unknown command');
}
$appname = text_field($fields, 'appname', 100, true);
$version = text_field($fields, 'version', 20, true);
$os = text_field($fields, 'os', 300, false) ?? '';
$locale = text_field($fields, 'local', 20, false);
$guid = text_field($fields, 'guid', 64, false) ?? '';
$howmany = text_field($fields, 'howmany', 10, true);
if (!preg_match('/^[0-9]+(\.[0-9]+)*$/', $version)) {
    fail('malformed field version');
}
if (!preg_match('/^[0-9]{1,10}$/', $howmany)) {
    fail('malformed field howmany');
}

$config = config();
$current = (string)($config['version'] ?? '');
$url = (string)($config['url'] ?? '');
$price = (string)($config['price'] ?? '');

$db = database();
$insert = $db->prepare('INSERT INTO checks (received, remote, appname, version, os, locale, guid, howmany)
                        VALUES (?, ?, ?, ?, ?, ?, ?, ?)');
$insert->execute([now_utc(), $_SERVER['REMOTE_ADDR'] ?? '', $appname, $version, $os, $locale, $guid, (int)$howmany]);

$result = $current !== '' && $current !== $version ? '1' : '0';
answer("<version>$current</version>\r\n<url>$url</url>\r\n<price>$price</price>\r\n<result>$result</result>\r\n");
