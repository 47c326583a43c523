<?php
// The feedback endpoint: stores each message with the time and the request's fields and answers
// "OK" once the row is committed; anything malformed gets "ERROR ..." and stores nothing.

declare(strict_types=1);
require __DIR__ . '/lib.php';

$fields = form_fields();
if (($fields['cmd'] ?? null) !== 'feedback') {
    fail('unknown command');
}
$appname = text_field($fields, 'appname', 100, true);
$version = text_field($fields, 'version', 20, true);
// The program allows 10000 characters and may put a choice phrase before them.
$message = text_field($fields, 'feedback', 10200, true);
$email = text_field($fields, 'email', 100, false);
if ($email !== null && filter_var($email, FILTER_VALIDATE_EMAIL) === false) {
    fail('malformed field email');
}

$db = database();
$db->beginTransaction();
$insert = $db->prepare('INSERT INTO feedback (received, remote, appname, version, message, email)
                        VALUES (?, ?, ?, ?, ?, ?)');
$insert->execute([now_utc(), $_SERVER['REMOTE_ADDR'] ?? '', $appname, $version, $message, $email]);
$db->commit();
answer('OK');
