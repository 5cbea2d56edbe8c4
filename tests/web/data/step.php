<?php
// One step of the form chain, in PHP: logs how it was called and submits the next step.
$in = $_SERVER['REQUEST_METHOD'] === 'POST' ? $_POST : $_GET;
$log = ($in['log'] ?? '') . '[php-' . $_SERVER['REQUEST_METHOD'] . ':' . ($in['v'] ?? '') . ']';
$steps = array_filter(explode('|', $in['steps'] ?? ''));
$h = fn($s) => htmlspecialchars($s, ENT_QUOTES, 'UTF-8');
header('Content-Type: text/html; charset=utf-8');
if (!$steps) { echo "<html><body><p id=\"done\">", $h($log), "</p></body></html>\n"; exit; }
[$method, $action] = explode(' ', array_shift($steps));
echo "<html><body onload=\"document.forms[0].submit()\"><form method=\"$method\" action=\"$action\">",
  "<input type=\"hidden\" name=\"v\" value=\"", $h($in['v'] ?? ''), "\">",
  "<input type=\"hidden\" name=\"log\" value=\"", $h($log), "\">",
  "<input type=\"hidden\" name=\"steps\" value=\"", $h(implode('|', $steps)), "\">",
  "</form></body></html>\n";
