#!/usr/bin/perl
# Write the benchmark inputs, the same bytes on every run:
#   make_inputs.pl list SIZE   a link list of about SIZE bytes on standard output
#   make_inputs.pl long SIZE   one link line with a SIZE-byte description
use strict;
use warnings;

my ($kind, $size) = @ARGV;
die "usage: make_inputs.pl list|long SIZE\n" unless defined $size;
binmode STDOUT;

# A small linear congruential generator, so the bytes do not depend on Perl's rand.
my $seed = 20261208;
sub pick { $seed = ($seed * 1103515245 + 12345) % 2147483648; return $seed % $_[0]; }

if ($kind eq 'long') {
	my $word = 'lorem ipsum dolor sit amet ';
	my $text = $word x int($size / length($word) + 1);
	print 'http://example.org/one/very/long/line  ', substr($text, 0, $size), "\n";
	exit 0;
}

my @words = qw(the quick guide to c plus streams kernel notes release manual
  history design of unix tools for people who keep lists reading page project
  home blog archive paper talk video slides index weekly digest review);
my @hosts = qw(www.example.org docs.example.com blog.example.net lists.example.org
  www.kernel.example wiki.example.info news.example.com);
my ($written, $chunk) = (0, '');
while ($written < $size) {
	my $kind_of_line = pick(20);
	my $line;
	if ($kind_of_line == 0) {
		$line = '# ' . join(' ', map { $words[pick(scalar @words)] } 1 .. 2 + pick(6)) . "\n";
	} else {
		my $url = 'http://' . $hosts[pick(scalar @hosts)] . '/' . join('/', map { $words[pick(scalar @words)] } 1 .. 1 + pick(4))
		  . '/' . pick(100000) . '.html';
		my $text = join(' ', map { $words[pick(scalar @words)] } 1 .. 2 + pick(7));
		$line = $kind_of_line == 1 ? "see also $url  $text\n" : "$url  $text\n";
	}
	$chunk .= $line;
	$written += length $line;
	if (length $chunk > 1 << 16) { print $chunk; $chunk = ''; }
}
print $chunk;
